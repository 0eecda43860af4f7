#include "apps/AppMonitor.h"

#include "app/AppState.h"
#include "common/Logger.h"
#include "common/RepeatingTimer.h"
#include "platform/FrontmostApplicationSource.h"
#include "platform/Platform.h"

#include <algorithm>

#include <QMetaObject>

namespace thrumwise {

AppMonitor::AppMonitor(FrontmostApplicationSource& source, AppState& state, TimerFactory& timers,
                       Logger& logger)
    : source_(source), state_(state), timers_(timers), logger_(logger) {}

AppMonitor::~AppMonitor() = default;

AppMonitor& AppMonitor::shared() {
    static auto* instance =
        new AppMonitor(platform::frontmostApplicationSource(), AppState::shared(),
                       QtTimerFactory::shared(), Logger::shared());
    return *instance;
}

void AppMonitor::startMonitoring() {
    timer_ = timers_.startRepeating(pollingInterval, [this] { checkFrontmostApp(); });
    logger_.log("[AppMonitor] Started monitoring frontmost application");
}

void AppMonitor::stopMonitoring() {
    timer_.reset();
    logger_.log("[AppMonitor] Stopped monitoring");
}

// State is read directly; every write is queued, so it runs after the poll
// and in order (the identifier before the profile switch).
void AppMonitor::checkFrontmostApp() {
    const auto app = source_.frontmostApplication();
    if (!app) {
        return;
    }
    const std::optional<std::string> bundleId = app->bundleId;
    QMetaObject::invokeMethod(
        &state_, [&state = state_, bundleId] { state.setFrontmostBundleId(bundleId); },
        Qt::QueuedConnection);

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

    const auto& profiles = state_.profiles();
    const auto chosen =
        std::find_if(profiles.begin(), profiles.end(), [&](const GameProfile& profile) {
            return profile.isEnabled && profile.bundleId == *bundleId;
        });
    const std::optional<GameProfile> next =
        chosen == profiles.end() ? std::nullopt : std::optional<GameProfile>(*chosen);

    const auto& active = state_.activeProfile();
    const std::optional<std::string> nextId = next ? std::optional(next->id) : std::nullopt;
    const std::optional<std::string> activeId = active ? std::optional(active->id) : std::nullopt;
    if (nextId == activeId) {
        return;
    }
    QMetaObject::invokeMethod(
        &state_, [&state = state_, next] { state.setActiveProfile(next); }, Qt::QueuedConnection);
    if (next) {
        logger_.log("[AppMonitor] Activated profile: " + next->displayName + " for " + *bundleId);
    } else {
        logger_.log("[AppMonitor] No profile for: " + *bundleId);
    }
}

}  // namespace thrumwise
