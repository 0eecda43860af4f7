#include "companion-sim/CompanionSimulator.h"

#include <nlohmann/json.hpp>

namespace thrumwise {

using sim::badRequest;
using sim::notFound;
using sim::ok;

HttpServer::Reply CompanionSimulator::handle(const HttpRequest& request) {
    const bool isAdd = request.path() == "/blocked-apps/add";
    const bool isRemove = request.path() == "/blocked-apps/remove";
    if (request.method != "POST" || (!isAdd && !isRemove)) {
        return HttpServer::Reply::answer(notFound);
    }
    const nlohmann::json body = nlohmann::json::parse(request.body, nullptr, false);
    if (!body.is_object() || !body.contains("bundleId") || !body["bundleId"].is_string()) {
        return HttpServer::Reply::answer(badRequest);
    }
    const std::string bundleId = body["bundleId"].get<std::string>();
    std::string list;
    {
        const std::scoped_lock guard(mutex_);
        if (isAdd) {
            blocked_.insert(bundleId);
        } else {
            blocked_.erase(bundleId);
        }
        list = describeBlocklist();
    }
    printer_.print(sim::timeOfDay() + (isAdd ? " block " : " unblock ") + sim::printable(bundleId) +
                   " | blocked: " + list);
    return HttpServer::Reply::answer(ok, R"({"success":true})", "application/json");
}

// Expects mutex_ to be held.
std::string CompanionSimulator::describeBlocklist() const {
    if (blocked_.empty()) {
        return "(none)";
    }
    std::string text;
    for (const std::string& bundleId : blocked_) {
        text += (text.empty() ? "" : ", ") + sim::printable(bundleId);
    }
    return text;
}

}  // namespace thrumwise
