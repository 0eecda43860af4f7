#include "common/Logger.h"

#include <cstdio>
#include <utility>

namespace thrumwise {

Logger::Logger(Sink sink) : sink_(std::move(sink)) {}

Logger& Logger::shared() {
    static auto* instance = new Logger([](std::string_view line) {
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    });
    return *instance;
}

void Logger::log(std::string_view line) {
    const std::scoped_lock guard(mutex_);
    sink_(line);
}

}  // namespace thrumwise
