#include "support/LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>

namespace thrumwise::test {

LoopbackHttpServer::LoopbackHttpServer()
    : server_(0, [this](const HttpRequest& request) { return handle(request); }) {}

LoopbackHttpServer::Reply LoopbackHttpServer::garbage() {
    return Reply::raw("This is no HTTP reply.\r\n\r\n");
}

std::string LoopbackHttpServer::url(std::string_view path) const {
    return "http://localhost:" + std::to_string(port()) + std::string(path);
}

void LoopbackHttpServer::setReply(const std::string& path, Reply reply) {
    const std::scoped_lock guard(mutex_);
    replies_.insert_or_assign(path, std::move(reply));
}

std::vector<HttpRequest> LoopbackHttpServer::requests() const {
    const std::scoped_lock guard(mutex_);
    return requests_;
}

std::size_t LoopbackHttpServer::requestCount() const {
    const std::scoped_lock guard(mutex_);
    return requests_.size();
}

LoopbackHttpServer::Reply LoopbackHttpServer::handle(const HttpRequest& request) {
    const std::scoped_lock guard(mutex_);
    requests_.push_back(request);
    const auto found = replies_.find(request.path());
    return found == replies_.end() ? Reply::answer(200) : found->second;
}

RefusingPort::RefusingPort() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    // Bound but not listening: the port is ours, and connections are refused.
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    if (fd_ < 0 || ::bind(fd_, generic, length) != 0 || ::getsockname(fd_, generic, &length) != 0) {
        const int code = errno;
        ::close(fd_);
        throw std::system_error(code, std::generic_category(), "bind");
    }
    port_ = ntohs(address.sin_port);
}

RefusingPort::~RefusingPort() {
    ::close(fd_);
}

}  // namespace thrumwise::test
