#pragma once

#include "model/GameProfile.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QObject>

class QSettings;

namespace thrumwise {

class CompanionBlocklist;
class ProfileManager;
class ProfileSaveQueue;

// The one observable state object. Used on the GUI thread only: other threads
// queue their assignments there. Every assignment of a published field emits
// willChange() before and the field's own signal after, also when the new
// value equals the old one.
class AppState : public QObject {
    Q_OBJECT

public:
    // Receives every new active profile (the trigger engine's copy).
    using ActiveProfileReceiver = std::function<void(const std::optional<GameProfile>&)>;

    struct Services {
        QSettings& settings;
        ProfileManager& profileStore;
        ProfileSaveQueue& saveQueue;
        CompanionBlocklist& blocklist;
        ActiveProfileReceiver handToEngine;
    };

    // Reads the master switch from the settings (on at the very first launch)
    // and loads the profiles.
    AppState(Services services, bool isAccessibilityGranted, QObject* parent = nullptr);

    // The master switch; every assignment is also stored in the settings.
    bool isEnabled() const { return isEnabled_; }
    void setEnabled(bool enabled);

    const std::optional<GameProfile>& activeProfile() const { return activeProfile_; }
    // Unblocks the old game at the companion, blocks the new one (each when its
    // profile asks for it), publishes the profile and hands it to the engine.
    void setActiveProfile(std::optional<GameProfile> profile);
    // After an edit of the active profile (same id): publishes the edited copy
    // and lets the companion follow its flag. The engine keeps its copy.
    void refreshActiveProfile(const GameProfile& edited);

    const std::vector<GameProfile>& profiles() const { return profiles_; }
    void setProfiles(std::vector<GameProfile> profiles);
    // Replaces the first profile with the same id, in place, as an assignment
    // of the list; false (and nothing assigned) when there is none.
    bool replaceProfile(const GameProfile& changed);
    // Saves the whole list as it is now; the writing happens off the GUI thread.
    void saveProfiles();
    // Removes every profile with that id and saves the list.
    void deleteProfile(const std::string& id);

    // Why the last save failed; absent once a save succeeds.
    const std::optional<std::string>& profileSaveError() const { return profileSaveError_; }
    void setProfileSaveError(std::optional<std::string> reason);

    bool isPluginConnected() const { return isPluginConnected_; }
    void setPluginConnected(bool connected);

    bool isAccessibilityGranted() const { return isAccessibilityGranted_; }
    void setAccessibilityGranted(bool granted);

    bool isInputMonitoringGranted() const { return isInputMonitoringGranted_; }
    void setInputMonitoringGranted(bool granted);

    const std::optional<std::string>& frontmostBundleId() const { return frontmostBundleId_; }
    void setFrontmostBundleId(std::optional<std::string> bundleId);

    // "⌨ " and a key name, or a mouse button with an arrow. Never cleared.
    const std::optional<std::string>& lastInputEvent() const { return lastInputEvent_; }
    void setLastInputEvent(std::optional<std::string> text);

Q_SIGNALS:
    void willChange();
    void isEnabledChanged();
    void activeProfileChanged();
    void profilesChanged();
    void isPluginConnectedChanged();
    void isAccessibilityGrantedChanged();
    void isInputMonitoringGrantedChanged();
    void frontmostBundleIdChanged();
    void lastInputEventChanged();
    void profileSaveErrorChanged();

private:
    template <typename T, typename Signal>
    void assign(T& field, T value, Signal changed);
    void followBlockFlags(const std::optional<GameProfile>& previous, const GameProfile* next);

    Services services_;

    bool isEnabled_ = true;
    std::optional<GameProfile> activeProfile_;
    std::vector<GameProfile> profiles_;
    bool isPluginConnected_ = false;
    bool isAccessibilityGranted_ = false;
    bool isInputMonitoringGranted_ = false;
    std::optional<std::string> frontmostBundleId_;
    std::optional<std::string> lastInputEvent_;
    std::optional<std::string> profileSaveError_;
};

}  // namespace thrumwise
