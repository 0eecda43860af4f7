#pragma once

#include "http/HttpServer.h"

#include <mutex>
#include <ostream>
#include <string_view>

namespace thrumwise {

// The haptic plug-in's side of its protocol, for running Thrumwise without a
// device: accepts every effect and prints one time-stamped line for it.
class PluginSimulator {
public:
    explicit PluginSimulator(std::ostream& out);

    HttpServer::Reply handle(const HttpRequest& request);
    // Writes one whole line and flushes it; safe from any thread.
    void print(std::string_view line);

private:
    std::mutex mutex_;
    std::ostream& out_;
};

}  // namespace thrumwise
