#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace thrumwise {

// Compares ASCII text without regard to case, as header names and tokens are.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// One request as a server received it.
struct HttpRequest {
    std::string method;
    std::string target;   // as sent: the path, with a query when there is one
    std::string version;  // "HTTP/1.1" or "HTTP/1.0"
    std::vector<std::pair<std::string, std::string>> headers;  // in order, names as sent
    std::string body;
    std::chrono::steady_clock::time_point arrival;  // when its last byte was read

    // The target without its query.
    std::string_view path() const;
    // The first value of the named header (the name in any case).
    std::optional<std::string_view> header(std::string_view name) const;
    // Whether the client wants the connection kept open after the reply.
    bool keepsAlive() const;
};

}  // namespace thrumwise
