#include "common/Simulator.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <iomanip>
#include <iostream>
#include <optional>
#include <sstream>
#include <system_error>

#include <nlohmann/json.hpp>

namespace thrumwise::sim {

namespace {

std::optional<std::uint16_t> parsePort(const std::string& text) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const unsigned long value = std::stoul(text);
    if (value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace

void LinePrinter::print(std::string_view line) {
    const std::scoped_lock guard(mutex_);
    out_ << line << std::endl;
}

std::string timeOfDay() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    std::ostringstream text;
    text << std::put_time(&local, "%H:%M:%S") << '.' << std::setw(3) << std::setfill('0') << millis;
    return text.str();
}

std::string printable(const std::string& text) {
    const std::string quoted =
        nlohmann::json(text).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
    return quoted.substr(1, quoted.size() - 2);
}

int run(int argc, char** argv, const Program& program,
        const std::function<HttpServer::Handler(LinePrinter&)>& makeHandler) {
    std::uint16_t port = program.defaultPort;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << program.usage;
            return EXIT_SUCCESS;
        }
        const std::optional<std::uint16_t> parsed =
            argument == "--port" && i + 1 < argc ? parsePort(argv[++i]) : std::nullopt;
        if (!parsed) {
            std::cerr << program.name << ": unexpected argument '" << argument << "'\n\n"
                      << program.usage;
            return 2;
        }
        port = *parsed;
    }

    // Signals are taken below by sigwait, not by whichever thread they hit.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    LinePrinter printer(std::cout);
    try {
        HttpServer server(port, makeHandler(printer));
        printer.print(std::string(program.name) +
                      " listening on http://127.0.0.1:" + std::to_string(server.port()));
        int signal = 0;
        sigwait(&stopSignals, &signal);
    } catch (const std::system_error& error) {
        std::cerr << program.name << ": cannot listen on port " << port << ": "
                  << error.code().message() << '\n';
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}

}  // namespace thrumwise::sim
