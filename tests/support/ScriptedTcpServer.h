#pragma once

#include "http/HttpServer.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace thrumwise::test {

// A loopback TCP server with byte-level control over how it misbehaves: for
// each whole HTTP request it reads, a script says what the connection does
// next. It can listen on a given port, so a test can stop one and start
// another in its place, as a restarted program would.
class ScriptedTcpServer {
public:
    enum class Act {
        answer200,     // "HTTP/1.1 200 OK" with an empty body; the connection stays open
        close,         // close without a byte of reply
        reset,         // abort with a TCP reset (SO_LINGER 0)
        sendAndClose,  // `bytes` as they are, then close
        stall,         // no reply ever; the connection stays open
    };
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
        : script_(std::move(script)), port_(port), listenFd_(listenOnLoopback(port_)) {
        if (::pipe2(wake_, O_CLOEXEC) != 0) {
            ::close(listenFd_);
            throw std::system_error(errno, std::generic_category(), "pipe");
        }
        thread_ = std::thread([this] { run(); });
    }
    // Closes every connection (a plain close, as when a program exits).
    ~ScriptedTcpServer() {
        static_cast<void>(::write(wake_[1], "x", 1));
        thread_.join();
        for (const Connection& connection : connections_) {
            if (connection.fd >= 0) {
                ::close(connection.fd);
            }
        }
        ::close(listenFd_);
        ::close(wake_[0]);
        ::close(wake_[1]);
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

    void run() {
        for (;;) {
            std::vector<pollfd> watched{{wake_[0], POLLIN, 0}, {listenFd_, POLLIN, 0}};
            for (const Connection& connection : connections_) {
                watched.push_back({connection.fd, POLLIN, 0});  // a closed one (-1) is skipped
            }
            if (::poll(watched.data(), watched.size(), -1) < 0 && errno != EINTR) {
                return;
            }
            if (watched[0].revents != 0) {
                return;
            }
            for (std::size_t i = 2; i < watched.size(); ++i) {
                if (watched[i].revents != 0) {
                    read(connections_[i - 2]);
                }
            }
            if (watched[1].revents != 0) {
                const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd >= 0) {
                    connections_.push_back({fd, {}, 0});
                }
            }
        }
    }

    void read(Connection& connection) {
        char chunk[4096];
        const ssize_t count = ::recv(connection.fd, chunk, sizeof chunk, 0);
        if (count <= 0) {
            closeConnection(connection, false);
            return;
        }
        connection.input.append(chunk, static_cast<std::size_t>(count));
        while (connection.fd >= 0) {
            const std::size_t headEnd = connection.input.find("\r\n\r\n");
            if (headEnd == std::string::npos) {
                return;
            }
            const std::size_t length = headEnd + 4 + contentLength(connection.input, headEnd);
            if (connection.input.size() < length) {
                return;
            }
            const Seen seen{static_cast<std::size_t>(&connection - connections_.data()),
                            connection.requests++};
            connection.input.erase(0, length);
            const Step step = script_(seen);
            {
                const std::scoped_lock guard(mutex_);
                seen_.push_back(seen);
            }
            perform(connection, step);
        }
    }

    void perform(Connection& connection, const Step& step) {
        static const std::string ok = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";
        switch (step.act) {
            case Act::answer200:
                ::send(connection.fd, ok.data(), ok.size(), MSG_NOSIGNAL);
                return;
            case Act::close:
                closeConnection(connection, false);
                return;
            case Act::reset:
                closeConnection(connection, true);
                return;
            case Act::sendAndClose:
                ::send(connection.fd, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
                closeConnection(connection, false);
                return;
            case Act::stall:
                return;
        }
    }

    // As curl writes it.
    static std::size_t contentLength(const std::string& input, std::size_t headEnd) {
        const std::string name = "Content-Length: ";
        const std::size_t at = input.find(name);
        return at < headEnd ? std::stoul(input.substr(at + name.size(), 20)) : 0;
    }

    static void closeConnection(Connection& connection, bool withReset) {
        if (withReset) {
            const linger abort{1, 0};
            ::setsockopt(connection.fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
        ::close(connection.fd);
        connection.fd = -1;
    }

    Script script_;
    mutable std::mutex mutex_;  // guards seen_
    std::vector<Seen> seen_;
    std::uint16_t port_;
    int listenFd_;
    int wake_[2] = {-1, -1};
    std::vector<Connection> connections_;  // server thread only
    std::thread thread_;                   // last, so that it starts once the rest is set
};

}  // namespace thrumwise::test
