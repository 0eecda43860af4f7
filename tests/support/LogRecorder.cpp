#include "support/LogRecorder.h"

#include <algorithm>

namespace thrumwise::test {

LogRecorder::LogRecorder()
    : logger_([this](std::string_view line) {
          const std::scoped_lock guard(mutex_);
          lines_.emplace_back(line);
      }) {}

std::vector<std::string> LogRecorder::lines() const {
    const std::scoped_lock guard(mutex_);
    return lines_;
}

std::size_t LogRecorder::count(const std::string& line) const {
    const std::scoped_lock guard(mutex_);
    return static_cast<std::size_t>(std::count(lines_.begin(), lines_.end(), line));
}

void LogRecorder::clear() {
    const std::scoped_lock guard(mutex_);
    lines_.clear();
}

}  // namespace thrumwise::test
