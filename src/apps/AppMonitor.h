#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace thrumwise {

class AppState;
class FrontmostApplicationSource;
class Logger;
class RepeatingTimer;
class TimerFactory;

// Follows the application in front by polling, publishes its identifier, and
// makes the first enabled profile for it the active one.
class AppMonitor {
public:
    using AppChangedCallback = std::function<void(const std::optional<std::string>& bundleId,
                                                  const std::optional<std::string>& localizedName)>;

    static constexpr std::chrono::milliseconds pollingInterval{200};

    AppMonitor(FrontmostApplicationSource& source, AppState& state, TimerFactory& timers,
               Logger& logger);
    ~AppMonitor();

    AppMonitor(const AppMonitor&) = delete;
    AppMonitor& operator=(const AppMonitor&) = delete;

    static AppMonitor& shared();

    // The first poll comes one interval after the start. Starting again
    // replaces the running poll rather than adding a second one.
    void startMonitoring();
    // Logs also when not running. The last identifier seen is kept.
    void stopMonitoring();

    // Called on every change of the frontmost identifier, before any profile look-up.
    void setOnAppChanged(AppChangedCallback callback) { onAppChanged_ = std::move(callback); }

private:
    void checkFrontmostApp();

    FrontmostApplicationSource& source_;
    AppState& state_;
    TimerFactory& timers_;
    Logger& logger_;
    std::unique_ptr<RepeatingTimer> timer_;
    std::optional<std::string> lastBundleId_;
    AppChangedCallback onAppChanged_;
};

}  // namespace thrumwise
