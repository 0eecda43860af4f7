#pragma once

#include "http/HttpServer.h"

#include <arpa/inet.h>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace thrumwise::test {

// An HTTP server on a free loopback port, on its own thread, for testing clients against real
// sockets. Each path answers as set (200 with no body until told otherwise); all requests are kept.
class LoopbackHttpServer {
public:
    using Reply = HttpServer::Reply;

    static Reply garbage() { return Reply::raw("This is no HTTP reply.\r\n\r\n"); }

    std::uint16_t port() const { return server_.port(); }
    std::string url(std::string_view path) const {
        return "http://localhost:" + std::to_string(port()) + std::string(path);
    }
    void setReply(const std::string& path, Reply reply) {
        const std::scoped_lock guard(mutex_);
        replies_.insert_or_assign(path, std::move(reply));
    }
    std::vector<HttpRequest> requests() const {
        const std::scoped_lock guard(mutex_);
        return requests_;
    }
    std::size_t acceptedConnections() const { return server_.acceptedConnections(); }

private:
    mutable std::mutex mutex_;  // guards replies_ and requests_
    std::map<std::string, Reply, std::less<>> replies_;
    std::vector<HttpRequest> requests_;
    HttpServer server_{0, [this](const HttpRequest& request) {
                           const std::scoped_lock guard(mutex_);
                           requests_.push_back(request);
                           const auto found = replies_.find(request.path());
                           return found == replies_.end() ? Reply::answer(200) : found->second;
                       }};  // last, so that it stops before the rest goes
};

// A loopback port held for the object's lifetime so that no one else takes it: bound but not
// listening, so connecting is refused.
class RefusingPort {
public:
    RefusingPort() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* generic = reinterpret_cast<sockaddr*>(&address);
        if (fd_ < 0 || ::bind(fd_, generic, length) != 0 ||
            ::getsockname(fd_, generic, &length) != 0) {
            throw std::system_error(errno, std::generic_category(), "bind");
        }
        port_ = ntohs(address.sin_port);
    }
    ~RefusingPort() { ::close(fd_); }
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    std::uint16_t port() const { return port_; }

private:
    int fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    std::uint16_t port_ = 0;
};

}  // namespace thrumwise::test
