// thrumwise-companion-sim: serves the companion app's blocklist protocol on
// the loopback interface, keeps the list and prints every change.
#include "common/Simulator.h"
#include "companion-sim/CompanionSimulator.h"

int main(int argc, char** argv) {
    constexpr thrumwise::sim::Program program{
        "thrumwise-companion-sim", 8766,
        "Usage: thrumwise-companion-sim [--port N]\n"
        "\n"
        "Stands in for the companion click-feedback app's blocklist service:\n"
        "listens on 127.0.0.1 (port 8766 unless --port says otherwise; 0 picks a\n"
        "free port), answers POST /blocked-apps/add and /blocked-apps/remove, and\n"
        "prints one line per request with the list that results, such as\n"
        "  12:03:45.123 block steam_app_570 | blocked: steam_app_570\n"
        "Stop it with Ctrl+C.\n"};
    return thrumwise::sim::run<thrumwise::CompanionSimulator>(argc, argv, program);
}
