#include "plugin-sim/PluginSimulator.h"

#include <nlohmann/json.hpp>

namespace thrumwise {

using sim::badRequest;
using sim::notFound;
using sim::ok;

HttpServer::Reply PluginSimulator::handle(const HttpRequest& request) {
    if (request.method == "GET" && request.path() == "/status") {
        return HttpServer::Reply::answer(ok);
    }
    if (request.method != "POST" || request.path() != "/trigger") {
        return HttpServer::Reply::answer(notFound);
    }
    const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    if (!body.is_object() || !body.contains("event") || !body["event"].is_string()) {
        return HttpServer::Reply::answer(badRequest);
    }
    printer_.print(sim::timeOfDay() + " effect " +
                   sim::printable(body["event"].get<std::string>()));
    return HttpServer::Reply::answer(ok);
}

}  // namespace thrumwise
