#include "services/PressmintBlocklistManager.h"

#include "common/Logger.h"
#include "common/LoopbackPorts.h"

#include <nlohmann/json.hpp>

namespace thrumwise {

PressmintBlocklistManager::PressmintBlocklistManager(std::uint16_t port, Logger& logger)
    : baseURL_("http://localhost:" + std::to_string(port)),
      logger_(logger),
      session_(HttpClient::Options{.timeout = std::chrono::seconds(2), .oneAtATime = true}) {}

PressmintBlocklistManager& PressmintBlocklistManager::shared() {
    static auto* instance = new PressmintBlocklistManager(companionPort(), Logger::shared());
    return *instance;
}

void PressmintBlocklistManager::blockApp(const std::string& bundleId) {
    send("/blocked-apps/add", bundleId);
}

void PressmintBlocklistManager::unblockApp(const std::string& bundleId) {
    send("/blocked-apps/remove", bundleId);
}

void PressmintBlocklistManager::send(const std::string& path, const std::string& bundleId) {
    if (bundleId.empty()) {
        return;
    }
    nlohmann::json body = nlohmann::json::object();
    body["bundleId"] = bundleId;
    session_.postJson(
        baseURL_ + path, body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace),
        [&logger = logger_, path, bundleId](const HttpResponse& response) {
            if (response.isTransportError()) {
                logger.log("[PressmintBlocklist] " + path + " failed: " + response.error);
            } else {
                logger.log("[PressmintBlocklist] " + path + " " + bundleId + " → HTTP " +
                           std::to_string(response.status));
            }
        });
}

}  // namespace thrumwise
