#include "common/Logger.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <thread>
#include <utility>

namespace thrumwise {

namespace {

// Queues lines and writes them to standard output on its own thread.
class StdoutWriter {
public:
    StdoutWriter() : thread_([this] { run(); }) { thread_.detach(); }

    void enqueue(std::string_view line) {
        {
            const std::scoped_lock guard(mutex_);
            pending_.emplace_back(line);
        }
        wake_.notify_one();
    }

    // Waits until every queued line is out.
    void drain() {
        std::unique_lock guard(mutex_);
        drained_.wait(guard, [this] { return pending_.empty() && !writing_; });
    }

private:
    [[noreturn]] void run() {
        std::deque<std::string> batch;
        for (;;) {
            {
                std::unique_lock guard(mutex_);
                writing_ = false;
                drained_.notify_all();
                wake_.wait(guard, [this] { return !pending_.empty(); });
                batch.swap(pending_);
                writing_ = true;
            }
            for (const std::string& line : batch) {
                std::fwrite(line.data(), 1, line.size(), stdout);
                std::fputc('\n', stdout);
            }
            std::fflush(stdout);
            batch.clear();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable drained_;
    std::deque<std::string> pending_;
    bool writing_ = false;
    std::thread thread_;
};

StdoutWriter& stdoutWriter() {
    static auto* writer = [] {
        auto* created = new StdoutWriter();
        std::atexit([] { stdoutWriter().drain(); });
        return created;
    }();
    return *writer;
}

// Text from outside (window classes, file contents) can hold line ends and
// terminal controls; escaped, it can neither split a line nor forge one.
bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

std::string escapeControls(std::string_view line) {
    static constexpr std::string_view hex = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(line.size() + 8);
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (isControl(c)) {
            escaped += "\\x";
            escaped += hex[byte >> 4];
            escaped += hex[byte & 0xF];
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace

Logger::Logger(Sink sink) : sink_(std::move(sink)) {}

Logger& Logger::shared() {
    static auto* instance = new Logger([](std::string_view line) { stdoutWriter().enqueue(line); });
    return *instance;
}

void Logger::log(std::string_view line) {
    const bool isPlain = std::none_of(line.begin(), line.end(), isControl);
    const std::scoped_lock guard(mutex_);
    if (isPlain) {
        sink_(line);
    } else {
        sink_(escapeControls(line));
    }
}

}  // namespace thrumwise
