#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace thrumwise {

// Writes lines to standard output on a thread of its own, so that logging
// never puts I/O on the caller's path (the input handler logs every firing).
// Each batch is flushed as soon as it is written; destroying the writer
// writes what is still queued first.
class StdoutLogWriter {
public:
    StdoutLogWriter();
    ~StdoutLogWriter();

    StdoutLogWriter(const StdoutLogWriter&) = delete;
    StdoutLogWriter& operator=(const StdoutLogWriter&) = delete;

    void write(std::string_view line);

private:
    void run();

    std::mutex mutex_;  // guards pending_ and isStopping_
    std::condition_variable wake_;
    std::deque<std::string> pending_;
    bool isStopping_ = false;
    std::thread thread_;
};

}  // namespace thrumwise
