#pragma once

#include "http/HttpServer.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace thrumwise::test {

// An HTTP server on a free loopback port, on its own thread, for testing
// clients against real sockets. Each path answers as set (200 with no body
// until told otherwise); every request is recorded.
class LoopbackHttpServer {
public:
    using Reply = HttpServer::Reply;

    LoopbackHttpServer();

    // Bytes that are not an HTTP reply at all.
    static Reply garbage();

    std::uint16_t port() const { return server_.port(); }
    // "http://localhost:<port>" followed by `path`.
    std::string url(std::string_view path) const;

    void setReply(const std::string& path, Reply reply);

    std::vector<HttpRequest> requests() const;
    std::size_t requestCount() const;
    std::size_t acceptedConnections() const { return server_.acceptedConnections(); }

private:
    Reply handle(const HttpRequest& request);

    mutable std::mutex mutex_;  // guards replies_ and requests_
    std::map<std::string, Reply, std::less<>> replies_;
    std::vector<HttpRequest> requests_;
    HttpServer server_;  // last, so that it stops before the rest goes
};

// A loopback port on which nothing listens, held for the object's lifetime so
// that no one else takes it: connecting is refused.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    std::uint16_t port() const { return port_; }

private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
};

}  // namespace thrumwise::test
