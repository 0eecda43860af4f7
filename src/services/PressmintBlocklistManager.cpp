#include "services/PressmintBlocklistManager.h"

#include "common/Logger.h"

namespace thrumwise {

PressmintBlocklistManager::PressmintBlocklistManager(std::uint16_t port, Logger& logger)
    : baseURL_(loopbackBaseUrl(port)),
      logger_(logger),
      session_(HttpClient::Options{.timeout = std::chrono::seconds(2), .oneAtATime = true}) {}

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
    session_.postJson(
        baseURL_ + path, jsonObjectWithText("bundleId", bundleId),
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
