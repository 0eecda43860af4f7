#include "haptics/HapticClient.h"

#include "common/Logger.h"
#include "common/RepeatingTimer.h"

#include <utility>

namespace thrumwise {

namespace {

constexpr std::chrono::milliseconds exchangeLimit{500};
constexpr long statusOK = 200;

}  // namespace

HapticClient::HapticClient(std::uint16_t port, Logger& logger, TimerFactory& timers,
                           std::chrono::milliseconds pollInterval)
    : baseURL_(loopbackBaseUrl(port)),
      logger_(logger),
      timers_(timers),
      pollInterval_(pollInterval),
      session_(HttpClient::Options{.timeout = exchangeLimit}) {}

HapticClient::~HapticClient() = default;

void HapticClient::start() {
    connectionCheckTimer_ = timers_.startRepeating(pollInterval_, [this] { checkConnection(); });
    checkConnection();
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
        // Tells the value current when it runs, so that changes queued in
        // quick succession all end at the latest value.
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT connectionChanged(isConnected_.load()); }, Qt::QueuedConnection);
    }
}

void HapticClient::deliver(Completion done, bool accepted) {
    if (done) {
        QMetaObject::invokeMethod(
            this, [done = std::move(done), accepted] { done(accepted); }, Qt::QueuedConnection);
    }
}

}  // namespace thrumwise
