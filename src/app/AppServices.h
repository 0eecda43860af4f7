#pragma once

#include "app/AppDelegate.h"
#include "common/Clock.h"
#include "common/RepeatingTimer.h"
#include "discovery/AppBundleReader.h"
#include "discovery/BoundedFileSystem.h"
#include "discovery/DesktopEntryDiscovery.h"
#include "discovery/LinuxAppDiscovery.h"
#include "discovery/SteamGameDiscovery.h"
#include "engine/TriggerEngine.h"
#include "focus/AppMonitor.h"
#include "haptics/HapticClient.h"
#include "input/InputMonitor.h"
#include "model/ProfileManager.h"
#include "model/ProfileSaveQueue.h"
#include "services/PressmintBlocklistManager.h"
#include "services/UpdateService.h"
#include "state/AppState.h"
#include "ui/InstalledApps.h"

#include <memory>

#include <QSettings>

namespace thrumwise {

class AlertPresenter;
class Logger;
class PlatformBackend;

// Every long-lived service of the application: built here in the order they
// depend on one another, wired to the application state, and destroyed in
// reverse order when the application ends. Nothing else creates a service.
class AppServices {
public:
    AppServices(Logger& logger, AlertPresenter& alerts);
    ~AppServices();

    AppServices(const AppServices&) = delete;
    AppServices& operator=(const AppServices&) = delete;

    AppState& state() { return state_; }
    HapticClient& haptics() { return haptics_; }
    InputMonitor& inputMonitor() { return inputMonitor_; }
    InstalledApps& installedApps() { return installedApps_; }

    // What the tray agent starts and polls.
    AppDelegate::Services delegateServices();

private:
    Logger& logger_;
    QtTimerFactory timers_;
    SteadyClock clock_;
    std::unique_ptr<PlatformBackend> platform_;
    QSettings settings_;
    ProfileManager profileStore_;
    ProfileSaveQueue saveQueue_;
    PressmintBlocklistManager blocklist_;
    AppState state_;
    HapticClient haptics_;
    InputMonitor inputMonitor_;
    TriggerEngine engine_;
    AppMonitor appMonitor_;
    UpdateService updates_;
    BoundedFileSystem files_;
    DesktopEntryDiscovery desktopEntries_;
    SteamGameDiscovery steamGames_;
    AppBundleReader bundles_;
    LinuxAppDiscovery discovery_;
    InstalledApps installedApps_;
};

}  // namespace thrumwise
