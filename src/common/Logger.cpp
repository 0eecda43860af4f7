#include "common/Logger.h"

#include <algorithm>
#include <utility>

namespace thrumwise {

namespace {

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
