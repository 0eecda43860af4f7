// thrumwise-plugin-sim: serves the haptic plug-in's protocol on the loopback
// interface and prints each effect it is asked to play.
#include "common/Simulator.h"
#include "plugin-sim/PluginSimulator.h"

int main(int argc, char** argv) {
    constexpr thrumwise::sim::Program program{
        "thrumwise-plugin-sim", 47474,
        "Usage: thrumwise-plugin-sim [--port N]\n"
        "\n"
        "Stands in for the haptic plug-in: listens on 127.0.0.1 (port 47474 unless\n"
        "--port says otherwise; 0 picks a free port), answers 200 to POST /trigger\n"
        "and GET /status, and prints one line per effect, such as\n"
        "  12:03:45.123 effect sharp_collision\n"
        "Stop it with Ctrl+C.\n"};
    return thrumwise::sim::run<thrumwise::PluginSimulator>(argc, argv, program);
}
