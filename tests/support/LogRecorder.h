#pragma once

#include "common/Logger.h"

#include <mutex>
#include <string>
#include <vector>

namespace thrumwise::test {

// A logger that keeps its lines for the test to read; safe to write from any thread.
class LogRecorder {
public:
    Logger& logger() { return logger_; }

    std::vector<std::string> lines() const {
        const std::scoped_lock guard(mutex_);
        return lines_;
    }
    void clear() {
        const std::scoped_lock guard(mutex_);
        lines_.clear();
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    Logger logger_{[this](std::string_view line) {
        const std::scoped_lock guard(mutex_);
        lines_.emplace_back(line);
    }};
};

}  // namespace thrumwise::test
