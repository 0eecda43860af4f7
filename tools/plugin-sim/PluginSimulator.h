#pragma once

#include "common/Simulator.h"

namespace thrumwise {

// The haptic plug-in's side of its protocol, for running Thrumwise without a
// device: accepts every effect and prints one time-stamped line for it.
class PluginSimulator {
public:
    explicit PluginSimulator(sim::LinePrinter& printer) : printer_(printer) {}

    HttpServer::Reply handle(const HttpRequest& request);

private:
    sim::LinePrinter& printer_;
};

}  // namespace thrumwise
