#pragma once

#include "http/HttpServer.h"

#include <functional>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace thrumwise::test {

// A loopback TCP server with byte-level control over how it misbehaves: for
// each whole HTTP request it reads, a script says what the connection does
// next. It can listen on a given port, so a test can stop one and start
// another in its place, as a restarted program would.
class ScriptedTcpServer {
public:
    // After a request: answer "200 OK" with no body and stay open, abort with a
    // TCP reset (SO_LINGER 0), or send `bytes` as they are and close.
    enum class Act { answer200, reset, sendAndClose };
    struct Step {
        Act act = Act::answer200;
        std::string bytes;
    };
    // On which connection a request came (counted from 0 in the order
    // accepted) and how many came on it before.
    struct Seen {
        std::size_t connection = 0;
        std::size_t onConnection = 0;
    };
    using Script = std::function<Step(const Seen&)>;

    explicit ScriptedTcpServer(Script script, std::uint16_t port = 0)
        : script_(std::move(script)), port_(port), listenFd_(listenOnLoopback(port_)) {}
    // Closes every connection (a plain close, as when a program exits).
    ~ScriptedTcpServer() {
        thread_.request_stop();
        thread_.join();
        for (const Connection& connection : connections_) {
            ::close(connection.fd);  // -1 once closed
        }
        ::close(listenFd_);
    }
    ScriptedTcpServer(const ScriptedTcpServer&) = delete;
    ScriptedTcpServer& operator=(const ScriptedTcpServer&) = delete;

    std::uint16_t port() const { return port_; }
    std::vector<Seen> seen() const {
        const std::scoped_lock guard(mutex_);
        return seen_;
    }

private:
    struct Connection {
        int fd = -1;
        std::string input;
        std::size_t requests = 0;
    };

    void run(const std::stop_token& stop) {
        while (!stop.stop_requested()) {
            std::vector<pollfd> watched{{listenFd_, POLLIN, 0}};
            for (const Connection& connection : connections_) {
                watched.push_back({connection.fd, POLLIN, 0});  // a closed one (-1) is skipped
            }
            ::poll(watched.data(), watched.size(), 20);
            for (std::size_t i = 1; i < watched.size(); ++i) {
                if (watched[i].revents != 0) {
                    read(i - 1);
                }
            }
            if (const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC); fd >= 0) {
                connections_.push_back({fd, {}, 0});
            }
        }
    }

    // Requests are whole with their head and, as curl writes it, Content-Length body bytes.
    void read(std::size_t index) {
        Connection& connection = connections_[index];
        char chunk[4096];
        const ssize_t count = ::recv(connection.fd, chunk, sizeof chunk, 0);
        connection.input.append(chunk, static_cast<std::size_t>(std::max<ssize_t>(count, 0)));
        const std::size_t headEnd = connection.input.find("\r\n\r\n");
        const std::size_t lengthAt = connection.input.find("Content-Length: ");
        const std::size_t end =
            headEnd == std::string::npos
                ? std::string::npos
                : headEnd + 4 +
                      (lengthAt < headEnd ? std::stoul(connection.input.substr(lengthAt + 16, 20))
                                          : 0);
        if (count > 0 && connection.input.size() < end) {
            return;
        }
        Step step{Act::sendAndClose, {}};  // nothing, when the peer closed
        if (count > 0) {
            connection.input.erase(0, end);
            const Seen seen{index, connection.requests++};
            step = script_(seen);
            const std::scoped_lock guard(mutex_);
            seen_.push_back(seen);
        }
        if (step.act == Act::answer200 || step.act == Act::sendAndClose) {
            const std::string bytes = step.act == Act::sendAndClose
                                          ? step.bytes
                                          : "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";
            ::send(connection.fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        }
        const linger abort{1, 0};
        if (step.act == Act::reset) {
            ::setsockopt(connection.fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
        if (step.act != Act::answer200) {
            ::close(std::exchange(connection.fd, -1));
        }
    }

    Script script_;
    mutable std::mutex mutex_;  // guards seen_
    std::vector<Seen> seen_;
    std::uint16_t port_;
    int listenFd_;
    std::vector<Connection> connections_;  // server thread only
    std::jthread thread_{[this](const std::stop_token& stop) {
        run(stop);
    }};  // last: starts once the rest is set
};

}  // namespace thrumwise::test
