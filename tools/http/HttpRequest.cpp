#include "http/HttpRequest.h"

#include <algorithm>
#include <cctype>

namespace thrumwise {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

namespace {

// Whether a comma-separated header value lists `token`.
bool listsToken(std::string_view value, std::string_view token) {
    while (!value.empty()) {
        const std::size_t comma = value.find(',');
        std::string_view item = value.substr(0, comma);
        const std::size_t first = item.find_first_not_of(" \t");
        const std::size_t last = item.find_last_not_of(" \t");
        if (first != std::string_view::npos &&
            equalsIgnoringCase(item.substr(first, last - first + 1), token)) {
            return true;
        }
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    }
    return false;
}

}  // namespace

std::string_view HttpRequest::path() const {
    return std::string_view(target).substr(0, target.find('?'));
}

std::optional<std::string_view> HttpRequest::header(std::string_view name) const {
    const auto found = std::find_if(headers.begin(), headers.end(), [name](const auto& h) {
        return equalsIgnoringCase(h.first, name);
    });
    if (found == headers.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool HttpRequest::keepsAlive() const {
    const std::string_view connection = header("Connection").value_or("");
    if (version == "HTTP/1.0") {
        return listsToken(connection, "keep-alive");
    }
    return !listsToken(connection, "close");
}

}  // namespace thrumwise
