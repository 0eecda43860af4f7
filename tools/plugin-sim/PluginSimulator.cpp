#include "plugin-sim/PluginSimulator.h"

#include <chrono>
#include <ctime>
#include <iomanip>
#include <sstream>

#include <nlohmann/json.hpp>

namespace thrumwise {

namespace {

constexpr int ok = 200;
constexpr int badRequest = 400;
constexpr int notFound = 404;

// Local wall-clock time as "HH:MM:SS.mmm".
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

// The name as it may go to a terminal: control characters and anything beyond
// ASCII are escaped, so a client cannot send escape sequences to it.
std::string printable(const std::string& name) {
    const std::string quoted =
        nlohmann::json(name).dump(-1, ' ', true, nlohmann::json::error_handler_t::replace);
    return quoted.substr(1, quoted.size() - 2);
}

}  // namespace

PluginSimulator::PluginSimulator(std::ostream& out) : out_(out) {}

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
    print(timeOfDay() + " effect " + printable(body["event"].get<std::string>()));
    return HttpServer::Reply::answer(ok);
}

void PluginSimulator::print(std::string_view line) {
    const std::scoped_lock guard(mutex_);
    out_ << line << std::endl;
}

}  // namespace thrumwise
