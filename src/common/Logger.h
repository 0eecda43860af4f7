#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace thrumwise {

// One whole line per event. Lines from several threads never interleave,
// and each is flushed at once so a crash loses nothing already logged.
class Logger {
public:
    using Sink = std::function<void(std::string_view line)>;

    explicit Logger(Sink sink);

    // Writes to standard output.
    static Logger& shared();

    void log(std::string_view line);

private:
    std::mutex mutex_;
    Sink sink_;
};

}  // namespace thrumwise
