#include "common/StdoutLogWriter.h"

#include <cstdio>

namespace thrumwise {

StdoutLogWriter::StdoutLogWriter() : thread_([this] { run(); }) {}

StdoutLogWriter::~StdoutLogWriter() {
    {
        const std::scoped_lock guard(mutex_);
        isStopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void StdoutLogWriter::write(std::string_view line) {
    {
        const std::scoped_lock guard(mutex_);
        pending_.emplace_back(line);
    }
    wake_.notify_one();
}

void StdoutLogWriter::run() {
    std::deque<std::string> batch;
    for (;;) {
        {
            std::unique_lock guard(mutex_);
            wake_.wait(guard, [this] { return !pending_.empty() || isStopping_; });
            if (pending_.empty()) {
                return;  // stopping, and everything is out
            }
            batch.swap(pending_);
        }
        for (const std::string& line : batch) {
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fputc('\n', stdout);
        }
        std::fflush(stdout);
        batch.clear();
    }
}

}  // namespace thrumwise
