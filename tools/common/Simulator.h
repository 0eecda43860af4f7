#pragma once

#include "http/HttpServer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace thrumwise::sim {

// The statuses the simulators answer with.
inline constexpr int ok = 200;
inline constexpr int badRequest = 400;
inline constexpr int notFound = 404;

// Writes whole lines and flushes each at once; safe from any thread.
class LinePrinter {
public:
    explicit LinePrinter(std::ostream& out) : out_(out) {}
    void print(std::string_view line);

private:
    std::mutex mutex_;
    std::ostream& out_;
};

// Local wall-clock time as "HH:MM:SS.mmm".
std::string timeOfDay();

// Text as it may go to a terminal: control characters and anything beyond
// ASCII are escaped, so a client cannot send escape sequences to it.
std::string printable(const std::string& text);

struct Program {
    std::string_view name;
    std::uint16_t defaultPort;
    std::string_view usage;
};

// Parses "--port N" and "--help", serves on 127.0.0.1 with the handler made
// for the printer, and returns the exit status once SIGINT or SIGTERM arrives.
int run(int argc, char** argv, const Program& program,
        const std::function<HttpServer::Handler(LinePrinter&)>& makeHandler);

// The same, for a simulator class constructed on the printer with a
// handle(const HttpRequest&) member that answers each request.
template <typename Simulator>
int run(int argc, char** argv, const Program& program) {
    return run(argc, argv, program, [](LinePrinter& printer) {
        auto simulator = std::make_shared<Simulator>(printer);
        return [simulator](const HttpRequest& request) {
            return simulator->handle(request);
        };
    });
}

}  // namespace thrumwise::sim
