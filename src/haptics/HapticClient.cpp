#include "haptics/HapticClient.h"

#include "app/AppState.h"
#include "common/Logger.h"
#include "common/LoopbackPorts.h"
#include "common/RepeatingTimer.h"

#include <utility>

namespace thrumwise {

namespace {

constexpr std::chrono::milliseconds exchangeLimit{500};
constexpr long statusOK = 200;

}  // namespace

HapticClient::HapticClient(std::uint16_t port, AppState& state, Logger& logger,
                           TimerFactory& timers, std::chrono::milliseconds pollInterval)
    : baseURL_(loopbackBaseUrl(port)),
      state_(state),
      logger_(logger),
      session_(HttpClient::Options{.timeout = exchangeLimit}) {
    connectionCheckTimer_ = timers.startRepeating(pollInterval, [this] { checkConnection(); });
    checkConnection();
}

HapticClient::~HapticClient() = default;

HapticClient& HapticClient::shared() {
    static auto* instance = new HapticClient(pluginPort(), AppState::shared(), Logger::shared(),
                                             QtTimerFactory::shared());
    return *instance;
}

void HapticClient::trigger(std::string pattern, Completion done) {
    if (pattern.empty()) {
        deliver(std::move(done), false);
        return;
    }
    session_.postJson(
        baseURL_ + "/trigger", jsonObjectWithText("event", pattern),
        [this, done = std::move(done)](const HttpResponse& response) {
            if (response.isTransportError()) {
                logger_.log("[HapticClient] Failed to trigger haptic: " + response.error);
                setConnected(false);
                deliver(done, false);
            } else if (response.status == statusOK) {
                setConnected(true);
                deliver(done, true);
            } else {
                deliver(done, false);
            }
        });
}

void HapticClient::checkConnection(Completion done) {
    session_.get(baseURL_ + "/status",
                 [this, done = std::move(done)](const HttpResponse& response) {
                     const bool isUp = !response.isTransportError() && response.status == statusOK;
                     setConnected(isUp);
                     deliver(done, isUp);
                 });
}

void HapticClient::setConnected(bool connected) {
    if (isConnected_.exchange(connected) != connected) {
        // Writes the value current when it runs, so that updates queued in
        // quick succession all leave the state at the latest value.
        QMetaObject::invokeMethod(
            &guiContext_, [this] { state_.setPluginConnected(isConnected_.load()); },
            Qt::QueuedConnection);
    }
}

void HapticClient::deliver(Completion done, bool accepted) {
    if (done) {
        QMetaObject::invokeMethod(
            &guiContext_, [done = std::move(done), accepted] { done(accepted); },
            Qt::QueuedConnection);
    }
}

}  // namespace thrumwise
