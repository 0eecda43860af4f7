#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QWidget>

class QLabel;
class QPushButton;

namespace thrumwise {

class AppState;
class PermissionWarning;

// The sidebar's live status panel: a warning when something needs the user,
// the plug-in's reachability, the active profile, the last input and the
// application in front when no profile matched it.
class StatusBar : public QWidget {
    Q_OBJECT

public:
    struct Actions {
        // Checks the two permissions again at once.
        std::function<void()> recheckPermissions;
        // Makes a profile for the application in front that none matched.
        std::function<void(const std::string& bundleId)> createProfileFor;
    };

    StatusBar(AppState& state, Actions actions, QWidget* parent = nullptr);

private:
    void render();

    AppState& state_;
    Actions actions_;
    PermissionWarning* saveWarning_;
    PermissionWarning* accessibilityWarning_;
    PermissionWarning* inputMonitoringWarning_;
    QLabel* pluginDot_;
    QLabel* pluginText_;
    QWidget* activeProfile_;
    QLabel* activeProfileName_;
    QLabel* lastInput_;
    QWidget* unmatched_;
    QLabel* unmatchedId_;
    // What the plug-in line shows; none before the first rendering.
    std::optional<bool> shownConnected_;
};

}  // namespace thrumwise
