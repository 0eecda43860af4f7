#include "app/AppServices.h"

#include "app/Endpoints.h"
#include "platform/PermissionProbe.h"
#include "platform/PlatformBackend.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace thrumwise {

namespace {

QString profilesFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Thrumwise");
}

}  // namespace

AppServices::AppServices(Logger& logger, AlertPresenter& alerts)
    : logger_(logger),
      platform_(createPlatformBackend(logger)),
      settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Thrumwise"),
                QStringLiteral("Thrumwise")),
      profileStore_(profilesFolder(), logger),
      saveQueue_([this](const std::vector<GameProfile>& profiles) {
          return profileStore_.saveProfiles(profiles);
      }),
      blocklist_(companionPort(), logger),
      state_(AppState::Services{settings_, profileStore_, saveQueue_, blocklist_,
                                [this](const std::optional<GameProfile>& profile) {
                                    engine_.setActiveProfile(profile);
                                }},
             platform_->permissionProbe().isAccessibilityGranted()),
      haptics_(pluginPort(), logger, timers_),
      inputMonitor_(platform_->globalEventSource(), logger),
      engine_(inputMonitor_, haptics_,
              TriggerEngine::Readings{[this] { return state_.isEnabled(); },
                                      [this] {
                                          return state_.isPluginConnected();
                                      }},
              clock_, timers_, logger),
      appMonitor_(platform_->frontmostApplicationSource(),
                  AppMonitor::Profiles{
                      [this]() -> const std::vector<GameProfile>& { return state_.profiles(); },
                      [this]() -> std::optional<std::string> {
                          const auto& active = state_.activeProfile();
                          return active ? std::optional(active->id) : std::nullopt;
                      }},
                  timers_, logger),
      updates_(
          updateEndpoint(), QCoreApplication::applicationVersion(),
          UpdateService::Actions{alerts, [](const QUrl& url) { QDesktopServices::openUrl(url); },
                                 [] {
                                     QCoreApplication::quit();
                                 }},
          timers_),
      desktopEntries_(
          XdgDataRoots::fromEnvironment(QProcessEnvironment::systemEnvironment(), QDir::homePath()),
          {}, files_),
      steamGames_(SteamGameDiscovery::standardRoots(QDir::homePath()), files_),
      bundles_(files_),
      discovery_(desktopEntries_, steamGames_, bundles_),
      installedApps_(discovery_) {
    QObject::connect(&haptics_, &HapticClient::connectionChanged, &state_,
                     &AppState::setPluginConnected);
    inputMonitor_.setOnLastInput(
        [this](std::string text) { state_.setLastInputEvent(std::move(text)); });
    QObject::connect(&appMonitor_, &AppMonitor::frontmostBundleIdSeen, &state_,
                     &AppState::setFrontmostBundleId);
    QObject::connect(&appMonitor_, &AppMonitor::profileChosen, &state_,
                     &AppState::setActiveProfile);
}

AppServices::~AppServices() = default;

AppDelegate::Services AppServices::delegateServices() {
    return AppDelegate::Services{state_,
                                 inputMonitor_,
                                 appMonitor_,
                                 platform_->permissionProbe(),
                                 timers_,
                                 logger_,
                                 [this] { haptics_.start(); },
                                 [this] {
                                     updates_.checkForUpdates();
                                 }};
}

}  // namespace thrumwise
