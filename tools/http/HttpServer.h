#pragma once

#include "http/HttpRequest.h"
#include "http/HttpRequestParser.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace thrumwise {

// A non-blocking socket listening on 127.0.0.1:`port`, or on a free port when
// `port` is 0; `port` is then the one it listens on. Throws std::system_error
// when it cannot.
int listenOnLoopback(std::uint16_t& port);

// A small HTTP/1.1 server on the loopback interface, on its own thread.
// Connections stay open between requests unless the client asks otherwise.
// Requests are handed to the handler one at a time on the server's thread, in
// the order they arrive on each connection; the handler decides the reply.
class HttpServer {
public:
    struct Reply {
        enum class Kind { answer, raw, silence };

        // A well-formed reply; a body is sent with `contentType`.
        static Reply answer(int status, std::string body = {},
                            std::string contentType = "text/plain");
        // `bytes` as they are, then the connection closes.
        static Reply raw(std::string bytes);
        // No reply ever; the connection stays open until the client leaves.
        static Reply silence();
        // The same reply, sent `wait` after the request was handled.
        Reply after(std::chrono::milliseconds wait) const;

        Kind kind = Kind::answer;
        int status = 200;
        std::string body;  // the raw bytes for Kind::raw
        std::string contentType;
        std::chrono::milliseconds delay{0};
    };

    using Handler = std::function<Reply(const HttpRequest&)>;

    struct Limits {
        HttpRequestParser::Limits request;
        // Further connections are closed as soon as they are accepted.
        std::size_t maxConnections = 64;
    };

    // Listens on 127.0.0.1:`port`, or on a free port when `port` is 0.
    // Throws std::system_error when it cannot.
    HttpServer(std::uint16_t port, Handler handler, Limits limits);
    HttpServer(std::uint16_t port, Handler handler) : HttpServer(port, std::move(handler), {}) {}
    ~HttpServer();

    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    std::uint16_t port() const { return port_; }
    // Connections accepted and kept so far.
    std::size_t acceptedConnections() const { return acceptedConnections_.load(); }

private:
    struct Connection;

    void run();
    void acceptWaiting();
    bool read(Connection& connection);
    bool serve(Connection& connection);
    void handleNext(Connection& connection);
    static bool write(Connection& connection);
    int nextTimeoutMs() const;

    Handler handler_;
    Limits limits_;
    int listenFd_ = -1;
    int wakeFd_ = -1;
    std::uint16_t port_ = 0;
    std::atomic<std::size_t> acceptedConnections_{0};
    std::vector<std::unique_ptr<Connection>> connections_;  // server thread only
    std::thread thread_;
};

}  // namespace thrumwise
