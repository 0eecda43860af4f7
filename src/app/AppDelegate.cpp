#include "app/AppDelegate.h"

#include "common/Logger.h"
#include "common/RepeatingTimer.h"
#include "focus/AppMonitor.h"
#include "input/InputMonitor.h"
#include "platform/PermissionProbe.h"
#include "state/AppState.h"
#include "ui/Style.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPalette>
#include <QSystemTrayIcon>

namespace thrumwise {

AppDelegate::AppDelegate(Services services, QObject* parent)
    : QObject(parent), services_(std::move(services)) {}

AppDelegate::~AppDelegate() = default;

void AppDelegate::applicationDidFinishLaunching() {
    createStatusItem();

    if (!services_.permissions.isAccessibilityGranted()) {
        services_.logger.log("[Thrumwise] Accessibility permissions required for input monitoring");
    }
    wasInputMonitoringGranted_ = services_.permissions.isInputMonitoringGranted();
    services_.state.setInputMonitoringGranted(wasInputMonitoringGranted_);

    services_.startServices();
    services_.inputMonitor.start();
    services_.appMonitor.startMonitoring();
    accessibilityCheckTimer_ =
        services_.timers.startRepeating(permissionPollInterval, [this] { checkPermissions(); });
    services_.startUpdateCheck();
}

void AppDelegate::applicationWillTerminate() {
    services_.inputMonitor.stop();
    services_.appMonitor.stopMonitoring();
}

void AppDelegate::createStatusItem() {
    menu_ = std::make_unique<QMenu>();
    enableAction_ = menu_->addAction(tr("Enable Haptics"), QKeySequence(Qt::CTRL | Qt::Key_E), this,
                                     &AppDelegate::toggleEnabled);
    enableAction_->setCheckable(true);
    enableAction_->setChecked(services_.state.isEnabled());
    // The check mark follows the switch wherever it is flipped from.
    connect(&services_.state, &AppState::isEnabledChanged, enableAction_,
            [this] { enableAction_->setChecked(services_.state.isEnabled()); });
    menu_->addSeparator();
    menu_->addAction(tr("Open Thrumwise"), QKeySequence(Qt::CTRL | Qt::Key_O), this,
                     &AppDelegate::openMainWindow);
    menu_->addAction(tr("Settings..."), QKeySequence(Qt::CTRL | Qt::Key_Comma), this,
                     &AppDelegate::openSettings);
    menu_->addSeparator();
    menu_->addAction(tr("Quit Thrumwise"), QKeySequence(Qt::CTRL | Qt::Key_Q), this,
                     &AppDelegate::quitApp);

    statusItem_ = std::make_unique<QSystemTrayIcon>(trayIcon());
    // The panel's colours follow the desktop's theme; so does the icon drawn in them.
    qApp->installEventFilter(this);
    statusItem_->setToolTip(QStringLiteral("Thrumwise"));
    statusItem_->setContextMenu(menu_.get());
    // A plain click opens the menu too, as a status item does; a double click opens the window.
    connect(statusItem_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger) {
                    menu_->popup(QCursor::pos());
                } else if (reason == QSystemTrayIcon::DoubleClick) {
                    openMainWindow();
                }
            });
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        services_.logger.log(
            "[Thrumwise] No system tray found; use the main window to control Thrumwise");
    }
    statusItem_->show();
}

// A monochrome symbol in the text colour of the desktop's palette, marked as
// a mask for tray hosts that colour it themselves.
QIcon AppDelegate::trayIcon() {
    QIcon icon(style::symbol(QStringLiteral("MenuBarIcon"), 22,
                             QGuiApplication::palette().color(QPalette::WindowText)));
    icon.setIsMask(true);
    return icon;
}

bool AppDelegate::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange && statusItem_) {
        statusItem_->setIcon(trayIcon());
    }
    return QObject::eventFilter(watched, event);
}

void AppDelegate::checkPermissions() {
    const bool trusted = services_.permissions.isAccessibilityGranted();
    const bool inputMonitoring = services_.permissions.isInputMonitoringGranted();
    QMetaObject::invokeMethod(
        &services_.state,
        [&state = services_.state, trusted, inputMonitoring] {
            state.setAccessibilityGranted(trusted);
            state.setInputMonitoringGranted(inputMonitoring);
        },
        Qt::QueuedConnection);
    if (trusted) {
        InputMonitor& monitor = services_.inputMonitor;
        if (!monitor.isMonitoring()) {
            monitor.start();
        } else if (inputMonitoring && !wasInputMonitoringGranted_) {
            // Granted since the last check: capture again with the new rights.
            monitor.stop();
            monitor.start();
        }
    }
    wasInputMonitoringGranted_ = inputMonitoring;
}

void AppDelegate::toggleEnabled() {
    services_.state.setEnabled(!services_.state.isEnabled());
}

void AppDelegate::openMainWindow() {
    Q_EMIT mainWindowRequested();
}

void AppDelegate::openSettings() {
    Q_EMIT settingsRequested();
}

void AppDelegate::quitApp() {
    QCoreApplication::quit();
}

}  // namespace thrumwise
