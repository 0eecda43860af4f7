#pragma once

#include "haptics/HapticTrigger.h"
#include "services/HttpClient.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include <QObject>

namespace thrumwise {

class Logger;
class RepeatingTimer;
class TimerFactory;

// The connection to the local haptic plug-in: one request per effect, and a
// status poll that says whether the plug-in can be reached.
// Create and destroy it on the GUI thread; connectionChanged() and the
// completions run there too, a change of reachability before the completion
// of the exchange that found it, and never once the client is gone.
class HapticClient final : public QObject, public HapticTrigger {
    Q_OBJECT

public:
    HapticClient(std::uint16_t port, Logger& logger, TimerFactory& timers,
                 std::chrono::milliseconds pollInterval = std::chrono::seconds(5));
    ~HapticClient() override;

    HapticClient(const HapticClient&) = delete;
    HapticClient& operator=(const HapticClient&) = delete;

    // Starts the status poll and checks the plug-in at once.
    void start();

    void trigger(std::string pattern, Completion done) override;
    // Asks the plug-in for its status; `done`, when set, gets whether it answered 200.
    void checkConnection(Completion done = {});

    // Whether the last exchange with the plug-in succeeded.
    bool isConnected() const { return isConnected_.load(); }

Q_SIGNALS:
    // The plug-in became reachable or unreachable.
    void connectionChanged(bool connected);

private:
    void setConnected(bool connected);
    void deliver(Completion done, bool accepted);

    const std::string baseURL_;
    Logger& logger_;
    TimerFactory& timers_;
    const std::chrono::milliseconds pollInterval_;
    std::atomic<bool> isConnected_{false};
    // Declared after what its completions touch, so that it stops first.
    HttpClient session_;
    std::unique_ptr<RepeatingTimer> connectionCheckTimer_;
};

}  // namespace thrumwise
