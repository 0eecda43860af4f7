#pragma once

#include "common/Simulator.h"

#include <mutex>
#include <set>
#include <string>

namespace thrumwise {

// The companion click-feedback app's blocklist service, for running and
// testing Thrumwise without it: keeps the list and prints every request.
class CompanionSimulator {
public:
    explicit CompanionSimulator(sim::LinePrinter& printer) : printer_(printer) {}

    HttpServer::Reply handle(const HttpRequest& request);

private:
    std::string describeBlocklist() const;

    sim::LinePrinter& printer_;
    std::mutex mutex_;  // guards blocked_
    std::set<std::string> blocked_;
};

}  // namespace thrumwise
