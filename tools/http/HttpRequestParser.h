#pragma once

#include "http/HttpRequest.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace thrumwise {

// Splits the bytes a client sends into HTTP/1.x requests framed by
// Content-Length. The client is not trusted: every size is bounded, and
// anything malformed stops the parser with the status to answer.
class HttpRequestParser {
public:
    struct Limits {
        std::size_t maxHeadBytes = std::size_t{8} * 1024;  // request line and headers
        std::size_t maxHeaderCount = 64;
        std::size_t maxBodyBytes = std::size_t{64} * 1024;
    };

    explicit HttpRequestParser(Limits limits);

    void append(std::string_view bytes);
    // The next whole request in the bytes so far. `arrival` is left for the caller.
    std::optional<HttpRequest> next();
    // 0 while the bytes are well-formed; else the status to answer (400, 413,
    // 431, 501 or 505) before closing the connection.
    int failure() const { return failure_; }

private:
    bool parseHead(std::string_view head);
    bool parseRequestLine(std::string_view line);
    bool parseHeader(std::string_view line);
    void fail(int status);

    Limits limits_;
    std::string buffer_;
    std::size_t scannedTo_ = 0;           // where the search for the head's end resumes
    std::optional<HttpRequest> pending_;  // a request whose body is still coming
    std::size_t bodyLength_ = 0;
    int failure_ = 0;
};

}  // namespace thrumwise
