#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace thrumwise {

// The outcome of one exchange: a status code, or what went wrong on the way.
struct HttpResponse {
    long status = 0;    // the reply's status code; 0 when no HTTP reply came
    std::string error;  // empty when a reply came; else the transport error's description
    std::string body;   // read only when the client was asked to keep bodies

    bool isTransportError() const { return !error.empty(); }
};

// A small HTTP client with its own worker thread. Callers hand requests over
// and never block. Requests run concurrently (unless `oneAtATime`), idle
// connections stay open for the next request, and each request's time limit
// covers the whole exchange, connection included, counted from the moment the
// request was made. A kept connection found closed before any of the reply
// came is replaced once and the request sent again; a reply cut short, even
// in its head, is a transport error. Only http and https are spoken;
// redirects are not followed; loopback hosts are never reached through a proxy.
class HttpClient {
public:
    struct Options {
        std::chrono::milliseconds timeout{500};
        // Send requests in the order made, each after the previous one has
        // ended. A request's limit then counts from the moment its turn came,
        // so a slow predecessor cannot use up the time of the ones behind it.
        bool oneAtATime = false;
        // Keep reply bodies up to this size (a larger reply is a transport
        // error); 0 discards them.
        std::size_t maxBodyBytes = 0;
    };

    // Runs on the worker thread.
    using Completion = std::function<void(const HttpResponse&)>;

    explicit HttpClient(Options options);
    // Stops the worker; requests still running are abandoned without completion.
    ~HttpClient();

    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // POST with "Content-Type: application/json" and `body` as it is.
    void postJson(std::string url, std::string body, Completion done);
    // GET without a body or extra headers.
    void get(std::string url, Completion done);

private:
    class Worker;
    std::unique_ptr<Worker> worker_;
};

// "http://localhost:<port>": the local services are reached by name.
std::string loopbackBaseUrl(std::uint16_t port);

// A compact JSON object with one text member, as every request body here is.
// Bytes that are not UTF-8 are replaced rather than refused.
std::string jsonObjectWithText(std::string_view key, std::string_view value);

}  // namespace thrumwise
