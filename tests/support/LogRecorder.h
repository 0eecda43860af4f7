#pragma once

#include "common/Logger.h"

#include <mutex>
#include <string>
#include <vector>

namespace thrumwise::test {

// A logger that keeps its lines for the test to read; safe to write from any thread.
class LogRecorder {
public:
    LogRecorder();

    Logger& logger() { return logger_; }

    std::vector<std::string> lines() const;
    std::size_t count(const std::string& line) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    Logger logger_;
};

}  // namespace thrumwise::test
