#pragma once

#include "http/HttpServer.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace thrumwise::sim {

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

}  // namespace thrumwise::sim
