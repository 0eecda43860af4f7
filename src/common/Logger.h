#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace thrumwise {

// One whole line per event; lines from several threads never interleave, and
// control characters in a line are written as \xNN escapes.
class Logger {
public:
    using Sink = std::function<void(std::string_view line)>;

    explicit Logger(Sink sink);

    void log(std::string_view line);

private:
    std::mutex mutex_;
    Sink sink_;
};

}  // namespace thrumwise
