#pragma once

#include <functional>
#include <memory>

#include <QObject>
#include <QPointer>

class QAction;
class QIcon;
class QMenu;
class QSystemTrayIcon;

namespace thrumwise {

class AppMonitor;
class AppState;
class InputMonitor;
class Logger;
class PermissionProbe;
class RepeatingTimer;
class TimerFactory;

// The tray agent: its item and menu, the launch sequence, the permission poll
// that (re)starts input capture, and the orderly stop at quit.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    struct Services {
        AppState& state;
        InputMonitor& inputMonitor;
        AppMonitor& appMonitor;
        PermissionProbe& permissions;
        TimerFactory& timers;
        Logger& logger;
        // Starts the haptic plug-in client's status poll.
        std::function<void()> startServices;
        // Starts the once-per-launch update check; returns at once.
        std::function<void()> startUpdateCheck;
    };

    static constexpr std::chrono::milliseconds permissionPollInterval{3000};

    explicit AppDelegate(Services services, QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    // Stops input capture, then the frontmost application poll.
    void applicationWillTerminate();

    // Checks both permissions now, as the poll does, and starts or restarts
    // input capture when they arrived.
    void checkPermissions();

    // The tray menu's actions.
    void toggleEnabled();
    void openMainWindow();
    void openSettings();
    void quitApp();

    QMenu* statusMenu() const { return menu_.get(); }
    const QSystemTrayIcon* statusItem() const { return statusItem_.get(); }

Q_SIGNALS:
    // The application's windows live elsewhere; the delegate only asks for them.
    void mainWindowRequested();
    void settingsRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static QIcon trayIcon();
    void createStatusItem();

    Services services_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<QSystemTrayIcon> statusItem_;
    QPointer<QAction> enableAction_;
    std::unique_ptr<RepeatingTimer> accessibilityCheckTimer_;
    bool wasInputMonitoringGranted_ = false;
};

}  // namespace thrumwise
