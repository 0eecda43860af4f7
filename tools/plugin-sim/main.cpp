// thrumwise-plugin-sim: serves the haptic plug-in's protocol on the loopback
// interface and prints each effect it is asked to play.
#include "http/HttpServer.h"
#include "plugin-sim/PluginSimulator.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace {

constexpr std::uint16_t defaultPort = 47474;

constexpr std::string_view usage =
    "Usage: thrumwise-plugin-sim [--port N]\n"
    "\n"
    "Stands in for the haptic plug-in: listens on 127.0.0.1 (port 47474 unless\n"
    "--port says otherwise; 0 picks a free port), answers 200 to POST /trigger\n"
    "and GET /status, and prints one line per effect, such as\n"
    "  12:03:45.123 effect sharp_collision\n"
    "Stop it with Ctrl+C.\n";

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

int main(int argc, char** argv) {
    std::uint16_t port = defaultPort;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << usage;
            return EXIT_SUCCESS;
        }
        const std::optional<std::uint16_t> parsed =
            argument == "--port" && i + 1 < argc ? parsePort(argv[++i]) : std::nullopt;
        if (!parsed) {
            std::cerr << "thrumwise-plugin-sim: unexpected argument '" << argument << "'\n\n"
                      << usage;
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

    thrumwise::PluginSimulator simulator(std::cout);
    try {
        thrumwise::HttpServer server(port, [&simulator](const thrumwise::HttpRequest& request) {
            return simulator.handle(request);
        });
        simulator.print("thrumwise-plugin-sim listening on http://127.0.0.1:" +
                        std::to_string(server.port()));
        int signal = 0;
        sigwait(&stopSignals, &signal);
    } catch (const std::system_error& error) {
        std::cerr << "thrumwise-plugin-sim: cannot listen on port " << port << ": "
                  << error.code().message() << '\n';
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
