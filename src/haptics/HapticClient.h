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

class AppState;
class Logger;
class RepeatingTimer;
class TimerFactory;

// The connection to the local haptic plug-in: one request per effect, and a
// status poll that keeps the application state's plug-in flag current.
// Create and destroy it on the GUI thread; completions run there too, after
// the application state has heard of the connection change the same exchange
// made, and never once the client is gone.
class HapticClient final : public HapticTrigger {
public:
    HapticClient(std::uint16_t port, AppState& state, Logger& logger, TimerFactory& timers,
                 std::chrono::milliseconds pollInterval = std::chrono::seconds(5));
    ~HapticClient() override;

    HapticClient(const HapticClient&) = delete;
    HapticClient& operator=(const HapticClient&) = delete;

    static HapticClient& shared();

    void trigger(std::string pattern, Completion done) override;
    // Asks the plug-in for its status; `done`, when set, gets whether it answered 200.
    void checkConnection(Completion done = {});

    // Whether the last exchange with the plug-in succeeded.
    bool isConnected() const { return isConnected_.load(); }

private:
    void setConnected(bool connected);
    void deliver(Completion done, bool accepted);

    const std::string baseURL_;
    AppState& state_;
    Logger& logger_;
    std::atomic<bool> isConnected_{false};
    // Receives the queued GUI-thread work; destroying it drops what is still queued.
    QObject guiContext_;
    // Declared after what its completions touch, so that it stops first.
    HttpClient session_;
    std::unique_ptr<RepeatingTimer> connectionCheckTimer_;
};

}  // namespace thrumwise
