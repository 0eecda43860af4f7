#include "http/HttpServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <climits>
#include <deque>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace thrumwise {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t readChunkBytes = std::size_t{16} * 1024;

// Throws the current errno, after closing `fd` (which may change it).
[[noreturn]] void closeAndThrow(int fd, const char* what) {
    const int code = errno;
    if (fd >= 0) {
        ::close(fd);
    }
    throw std::system_error(code, std::generic_category(), what);
}

std::string_view reasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 201:
            return "Created";
        case 204:
            return "No Content";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 413:
            return "Content Too Large";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 501:
            return "Not Implemented";
        case 503:
            return "Service Unavailable";
        case 505:
            return "HTTP Version Not Supported";
        default:
            return "Status";
    }
}

bool mayHaveBody(int status) {
    return status >= 200 && status != 204 && status != 304;
}

std::string formatAnswer(const HttpServer::Reply& reply, bool isHead, bool closes) {
    std::string bytes = "HTTP/1.1 " + std::to_string(reply.status) + " ";
    bytes += reasonPhrase(reply.status);
    bytes += "\r\n";
    const bool hasBody = mayHaveBody(reply.status);
    if (hasBody && !reply.body.empty()) {
        bytes += "Content-Type: " + reply.contentType + "\r\n";
    }
    if (hasBody) {
        bytes += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    }
    if (closes) {
        bytes += "Connection: close\r\n";
    }
    bytes += "\r\n";
    if (hasBody && !isHead) {
        bytes += reply.body;
    }
    return bytes;
}

}  // namespace

struct HttpServer::Connection {
    Connection(int socket, HttpRequestParser::Limits limits) : fd(socket), parser(limits) {}
    ~Connection() { ::close(fd); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int fd;
    HttpRequestParser parser;
    std::deque<HttpRequest> received;  // whole requests not handled yet
    std::string output;                // reply bytes not written yet
    std::string delayed;               // a reply waiting for its time
    std::optional<Clock::time_point> delayedUntil;
    bool closesAfterOutput = false;
    bool isSilent = false;

    // Reading pauses while a reply is outstanding, so a client that sends
    // without reading cannot make the server buffer without bound.
    bool isReadable() const {
        return isSilent || (received.empty() && output.empty() && !delayedUntil &&
                            !closesAfterOutput && parser.failure() == 0);
    }
};

HttpServer::Reply HttpServer::Reply::answer(int status, std::string body, std::string contentType) {
    Reply reply;
    reply.status = status;
    reply.body = std::move(body);
    reply.contentType = std::move(contentType);
    return reply;
}

HttpServer::Reply HttpServer::Reply::raw(std::string bytes) {
    Reply reply;
    reply.kind = Kind::raw;
    reply.body = std::move(bytes);
    return reply;
}

HttpServer::Reply HttpServer::Reply::silence() {
    Reply reply;
    reply.kind = Kind::silence;
    return reply;
}

HttpServer::Reply HttpServer::Reply::after(std::chrono::milliseconds wait) const {
    Reply reply = *this;
    reply.delay = wait;
    return reply;
}

int listenOnLoopback(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        closeAndThrow(-1, "socket");
    }
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    auto* generic = reinterpret_cast<sockaddr*>(&address);
    if (::bind(fd, generic, length) != 0 || ::listen(fd, SOMAXCONN) != 0 ||
        ::getsockname(fd, generic, &length) != 0) {
        closeAndThrow(fd, "listen on 127.0.0.1");
    }
    port = ntohs(address.sin_port);
    return fd;
}

HttpServer::HttpServer(std::uint16_t port, Handler handler, Limits limits)
    : handler_(std::move(handler)), limits_(limits), port_(port) {
    listenFd_ = listenOnLoopback(port_);
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0) {
        closeAndThrow(listenFd_, "eventfd");
    }
    thread_ = std::thread([this] { run(); });
}

HttpServer::~HttpServer() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
    thread_.join();
    connections_.clear();
    ::close(wakeFd_);
    ::close(listenFd_);
}

void HttpServer::run() {
    std::vector<pollfd> polled;
    for (;;) {
        polled.clear();
        polled.push_back({wakeFd_, POLLIN, 0});
        polled.push_back({listenFd_, POLLIN, 0});
        for (const auto& connection : connections_) {
            const auto events = static_cast<short>((connection->isReadable() ? POLLIN : 0) |
                                                   (connection->output.empty() ? 0 : POLLOUT));
            polled.push_back({connection->fd, events, 0});
        }
        if (::poll(polled.data(), polled.size(), nextTimeoutMs()) < 0 && errno != EINTR) {
            return;
        }
        if (polled[0].revents != 0) {
            return;
        }
        // Only the connections that were polled have events; ones accepted
        // below are served on the next round.
        const std::size_t polledConnections = polled.size() - 2;
        for (std::size_t i = 0; i < polledConnections; ++i) {
            Connection& connection = *connections_[i];
            const short events = polled[i + 2].revents;
            bool isOpen = true;
            if ((events & (POLLIN | POLLHUP | POLLERR)) != 0) {
                isOpen = read(connection);
            }
            if (isOpen) {
                isOpen = serve(connection);
            }
            if (!isOpen) {
                connections_[i].reset();
            }
        }
        std::erase(connections_, nullptr);
        if ((polled[1].revents & POLLIN) != 0) {
            acceptWaiting();
        }
    }
}

void HttpServer::acceptWaiting() {
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        if (connections_.size() >= limits_.maxConnections) {
            ::close(fd);
            continue;
        }
        // Replies go out at once instead of waiting to be joined by more bytes.
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        connections_.push_back(std::make_unique<Connection>(fd, limits_.request));
        ++acceptedConnections_;
    }
}

// False once the connection is to be closed.
bool HttpServer::read(Connection& connection) {
    std::array<char, readChunkBytes> chunk{};
    const ssize_t count = ::recv(connection.fd, chunk.data(), chunk.size(), 0);
    if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR)) {
        return false;
    }
    if (count < 0 || connection.isSilent) {
        return true;
    }
    const Clock::time_point now = Clock::now();
    connection.parser.append(std::string_view(chunk.data(), static_cast<std::size_t>(count)));
    while (std::optional<HttpRequest> request = connection.parser.next()) {
        request->arrival = now;
        connection.received.push_back(std::move(*request));
    }
    return true;
}

// Handles what was received and writes what is due. False once the
// connection is to be closed.
bool HttpServer::serve(Connection& connection) {
    for (;;) {
        if (connection.delayedUntil && Clock::now() >= *connection.delayedUntil) {
            connection.output += std::exchange(connection.delayed, {});
            connection.delayedUntil.reset();
        }
        if (connection.output.empty() && !connection.delayedUntil && !connection.isSilent &&
            !connection.closesAfterOutput) {
            handleNext(connection);
        }
        if (!write(connection)) {
            return false;
        }
        if (!connection.output.empty()) {
            return true;  // the rest when the socket takes more
        }
        if (connection.closesAfterOutput && !connection.delayedUntil) {
            return false;
        }
        const bool hasMoreToAnswer =
            !connection.received.empty() || connection.parser.failure() != 0;
        if (!hasMoreToAnswer || connection.delayedUntil || connection.isSilent) {
            return true;
        }
    }
}

void HttpServer::handleNext(Connection& connection) {
    if (connection.received.empty()) {
        if (connection.parser.failure() != 0) {
            connection.output =
                formatAnswer(Reply::answer(connection.parser.failure()), false, true);
            connection.closesAfterOutput = true;
        }
        return;
    }
    const HttpRequest request = std::move(connection.received.front());
    connection.received.pop_front();
    const Reply reply = handler_(request);

    std::string bytes;
    switch (reply.kind) {
        case Reply::Kind::silence:
            connection.isSilent = true;
            connection.received.clear();
            return;
        case Reply::Kind::raw:
            bytes = reply.body;
            connection.closesAfterOutput = true;
            break;
        case Reply::Kind::answer:
            connection.closesAfterOutput = !request.keepsAlive();
            bytes = formatAnswer(reply, request.method == "HEAD", connection.closesAfterOutput);
            break;
    }
    if (reply.delay > std::chrono::milliseconds::zero()) {
        connection.delayed = std::move(bytes);
        connection.delayedUntil = Clock::now() + reply.delay;
    } else {
        connection.output = std::move(bytes);
    }
}

// False when the connection failed.
bool HttpServer::write(Connection& connection) {
    while (!connection.output.empty()) {
        const ssize_t count = ::send(connection.fd, connection.output.data(),
                                     connection.output.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count < 0) {
            return errno == EAGAIN || errno == EINTR;
        }
        connection.output.erase(0, static_cast<std::size_t>(count));
    }
    return true;
}

int HttpServer::nextTimeoutMs() const {
    std::optional<Clock::time_point> earliest;
    for (const auto& connection : connections_) {
        if (connection->delayedUntil && (!earliest || *connection->delayedUntil < *earliest)) {
            earliest = connection->delayedUntil;
        }
    }
    if (!earliest) {
        return -1;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*earliest - Clock::now());
    return static_cast<int>(std::clamp<std::int64_t>(wait.count(), 0, INT_MAX));
}

}  // namespace thrumwise
