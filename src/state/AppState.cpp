#include "state/AppState.h"

#include "model/ProfileManager.h"
#include "model/ProfileSaveQueue.h"
#include "services/CompanionBlocklist.h"

#include <algorithm>
#include <utility>

#include <QSettings>

namespace thrumwise {

namespace {

constexpr QLatin1String kIsEnabledKey("isEnabled");
constexpr QLatin1String kHasLaunchedBeforeKey("hasLaunchedBefore");

}  // namespace

AppState::AppState(Services services, bool isAccessibilityGranted, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      isAccessibilityGranted_(isAccessibilityGranted) {
    setEnabled(services_.settings.value(kIsEnabledKey, false).toBool());
    if (!services_.settings.value(kHasLaunchedBeforeKey, false).toBool()) {
        setEnabled(true);  // haptics are on at the very first launch
        services_.settings.setValue(kHasLaunchedBeforeKey, true);
        services_.settings.sync();
    }
    setProfiles(services_.profileStore.loadProfiles());
    connect(&services_.saveQueue, &ProfileSaveQueue::saved, this, [this](const QString& reason) {
        setProfileSaveError(reason.isEmpty() ? std::nullopt : std::optional(reason.toStdString()));
    });
}

template <typename T, typename Signal>
void AppState::assign(T& field, T value, Signal changed) {
    Q_EMIT willChange();
    field = std::move(value);
    Q_EMIT(this->*changed)();
}

void AppState::setEnabled(bool enabled) {
    assign(isEnabled_, enabled, &AppState::isEnabledChanged);
    services_.settings.setValue(kIsEnabledKey, enabled);
    services_.settings.sync();  // the switch survives a crash, not only a clean exit
}

void AppState::setActiveProfile(std::optional<GameProfile> profile) {
    followBlockFlags(activeProfile_, profile ? &*profile : nullptr);
    assign(activeProfile_, profile, &AppState::activeProfileChanged);
    services_.handToEngine(activeProfile_);
}

void AppState::refreshActiveProfile(const GameProfile& edited) {
    if (!activeProfile_ || activeProfile_->id != edited.id) {
        return;
    }
    followBlockFlags(activeProfile_, &edited);
    assign(activeProfile_, std::optional<GameProfile>(edited), &AppState::activeProfileChanged);
}

// The old profile is unblocked before the new one is blocked, also when both
// are the same; each only when its own flag asks for it.
void AppState::followBlockFlags(const std::optional<GameProfile>& previous,
                                const GameProfile* next) {
    if (previous && previous->blockPressmint) {
        services_.blocklist.unblockApp(previous->bundleId);
    }
    if (next != nullptr && next->blockPressmint) {
        services_.blocklist.blockApp(next->bundleId);
    }
}

void AppState::setProfiles(std::vector<GameProfile> profiles) {
    assign(profiles_, std::move(profiles), &AppState::profilesChanged);
}

bool AppState::replaceProfile(const GameProfile& changed) {
    const auto found =
        std::find_if(profiles_.begin(), profiles_.end(),
                     [&changed](const GameProfile& p) { return p.id == changed.id; });
    if (found == profiles_.end()) {
        return false;
    }
    Q_EMIT willChange();
    *found = changed;
    Q_EMIT profilesChanged();
    return true;
}

void AppState::deleteProfile(const std::string& id) {
    auto remaining = profiles_;
    std::erase_if(remaining, [&id](const GameProfile& profile) { return profile.id == id; });
    setProfiles(std::move(remaining));
    saveProfiles();
}

void AppState::saveProfiles() {
    services_.saveQueue.save(profiles_);
}

void AppState::setProfileSaveError(std::optional<std::string> reason) {
    assign(profileSaveError_, std::move(reason), &AppState::profileSaveErrorChanged);
}

void AppState::setPluginConnected(bool connected) {
    assign(isPluginConnected_, connected, &AppState::isPluginConnectedChanged);
}

void AppState::setAccessibilityGranted(bool granted) {
    assign(isAccessibilityGranted_, granted, &AppState::isAccessibilityGrantedChanged);
}

void AppState::setInputMonitoringGranted(bool granted) {
    assign(isInputMonitoringGranted_, granted, &AppState::isInputMonitoringGrantedChanged);
}

void AppState::setFrontmostBundleId(std::optional<std::string> bundleId) {
    assign(frontmostBundleId_, std::move(bundleId), &AppState::frontmostBundleIdChanged);
}

void AppState::setLastInputEvent(std::optional<std::string> text) {
    assign(lastInputEvent_, std::move(text), &AppState::lastInputEventChanged);
}

}  // namespace thrumwise
