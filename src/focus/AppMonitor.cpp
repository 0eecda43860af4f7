#include "focus/AppMonitor.h"

#include "common/Logger.h"
#include "common/RepeatingTimer.h"
#include "platform/FrontmostApplicationSource.h"

#include <algorithm>

#include <QMetaObject>

namespace thrumwise {

AppMonitor::AppMonitor(FrontmostApplicationSource& source, Profiles profiles, TimerFactory& timers,
                       Logger& logger)
    : source_(source), profiles_(std::move(profiles)), timers_(timers), logger_(logger) {}

AppMonitor::~AppMonitor() {
    source_.setChangeHandler({});
}

void AppMonitor::startMonitoring() {
    timer_ = timers_.startRepeating(pollingInterval, [this] { checkFrontmostApp(); });
    source_.setChangeHandler([this] { checkSoon(); });
    logger_.log("[AppMonitor] Started monitoring frontmost application");
}

void AppMonitor::stopMonitoring() {
    timer_.reset();
    source_.setChangeHandler({});
    logger_.log("[AppMonitor] Stopped monitoring");
}

// A window manager cycling through windows while Alt is held tells of many
// changes at once; one look at whatever is in front when it runs answers them
// all. The poll goes on beside it, so a change never told is still found.
void AppMonitor::checkSoon() {
    if (isCheckQueued_) {
        return;
    }
    isCheckQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            isCheckQueued_ = false;
            if (timer_) {
                checkFrontmostApp();
            }
        },
        Qt::QueuedConnection);
}

// Profiles are read directly; what the poll found is told later, in order
// (the identifier before the profile switch), never inside the poll.
void AppMonitor::checkFrontmostApp() {
    const auto app = source_.frontmostApplication();
    if (!app) {
        return;
    }
    const std::optional<std::string> bundleId = app->bundleId;
    QMetaObject::invokeMethod(
        this, [this, bundleId] { Q_EMIT frontmostBundleIdSeen(bundleId); }, Qt::QueuedConnection);

    if (bundleId == lastBundleId_) {
        return;
    }
    lastBundleId_ = bundleId;
    if (onAppChanged_) {
        onAppChanged_(bundleId, app->localizedName);
    }
    if (!bundleId) {
        return;  // a window without an identifier keeps the current profile
    }

    const auto& profiles = profiles_.all();
    const auto chosen =
        std::find_if(profiles.begin(), profiles.end(), [&](const GameProfile& profile) {
            return profile.isEnabled && profile.bundleId == *bundleId;
        });
    const std::optional<GameProfile> next =
        chosen == profiles.end() ? std::nullopt : std::optional<GameProfile>(*chosen);

    const std::optional<std::string> nextId = next ? std::optional(next->id) : std::nullopt;
    if (nextId == profiles_.activeProfileId()) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, next] { Q_EMIT profileChosen(next); }, Qt::QueuedConnection);
    if (next) {
        logger_.log("[AppMonitor] Activated profile: " + next->displayName + " for " + *bundleId);
    } else {
        logger_.log("[AppMonitor] No profile for: " + *bundleId);
    }
}

}  // namespace thrumwise
