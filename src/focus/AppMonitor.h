#pragma once

#include "model/GameProfile.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QObject>

namespace thrumwise {

class FrontmostApplicationSource;
class Logger;
class RepeatingTimer;
class TimerFactory;

// Follows the application in front by polling, and also at once when the
// source tells of a change; reports its identifier, and chooses the first
// enabled profile for it as the active one.
class AppMonitor : public QObject {
    Q_OBJECT

public:
    // Where the monitor reads the profiles and the active one, at each change.
    struct Profiles {
        std::function<const std::vector<GameProfile>&()> all;
        std::function<std::optional<std::string>()> activeProfileId;
    };

    using AppChangedCallback = std::function<void(const std::optional<std::string>& bundleId,
                                                  const std::optional<std::string>& localizedName)>;

    static constexpr std::chrono::milliseconds pollingInterval{200};

    AppMonitor(FrontmostApplicationSource& source, Profiles profiles, TimerFactory& timers,
               Logger& logger);
    ~AppMonitor() override;

    AppMonitor(const AppMonitor&) = delete;
    AppMonitor& operator=(const AppMonitor&) = delete;

    // The first poll comes one interval after the start. Starting again
    // replaces the running poll rather than adding a second one. While
    // running, a change the source tells of is looked at on the next turn of
    // the event loop, once however many came in between.
    void startMonitoring();
    // Logs also when not running. The last identifier seen is kept.
    void stopMonitoring();

    // Called on every change of the frontmost identifier, before any profile look-up.
    void setOnAppChanged(AppChangedCallback callback) { onAppChanged_ = std::move(callback); }

Q_SIGNALS:
    // Both are sent from the event loop after the poll that found them, in
    // that order: the identifier at every poll that finds an application in
    // front, the profile only when it differs from the active one.
    void frontmostBundleIdSeen(const std::optional<std::string>& bundleId);
    void profileChosen(const std::optional<GameProfile>& profile);

private:
    void checkFrontmostApp();
    void checkSoon();

    FrontmostApplicationSource& source_;
    Profiles profiles_;
    TimerFactory& timers_;
    Logger& logger_;
    std::unique_ptr<RepeatingTimer> timer_;
    std::optional<std::string> lastBundleId_;
    AppChangedCallback onAppChanged_;
    bool isCheckQueued_ = false;
};

}  // namespace thrumwise
