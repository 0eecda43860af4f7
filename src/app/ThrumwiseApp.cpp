#include "app/ThrumwiseApp.h"

#include "app/AppDelegate.h"
#include "app/AppServices.h"
#include "app/SingleInstanceGuard.h"
#include "app/TerminationSignals.h"
#include "common/Logger.h"
#include "common/StdoutLogWriter.h"
#include "ui/AppFilePicker.h"
#include "ui/MainWindow.h"
#include "ui/MessageBoxAlertPresenter.h"
#include "ui/SettingsView.h"

#include <cstdio>

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QStandardPaths>

namespace thrumwise {

namespace {

bool hasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

void bringForward(QWidget& window) {
    window.show();
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.raise();
    window.activateWindow();
}

void centre(QWidget& window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), window.size().expandedTo(window.minimumSize()));
        frame.moveCenter(screen->availableGeometry().center());
        window.setGeometry(frame);
    }
}

}  // namespace

int ThrumwiseApp::run(int argc, char** argv) {
    if (!hasDisplay()) {
        std::fputs(
            "Thrumwise needs a graphical session, and none was found (DISPLAY is not set).\n",
            stderr);
        return 1;
    }
    StdoutLogWriter logWriter;
    Logger logger([&logWriter](std::string_view line) { logWriter.write(line); });

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Thrumwise"));
    QApplication::setOrganizationName(QStringLiteral("Thrumwise"));
    QApplication::setApplicationVersion(QStringLiteral(THRUMWISE_VERSION));
    // The window class is the application's name ("Thrumwise"): the identifier
    // its own window has as the application in front, and the desktop entry's
    // StartupWMClass.
    QApplication::setDesktopFileName(QStringLiteral("org.thrumwise.Thrumwise"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.thrumwise.Thrumwise"),
                                                 QIcon(QStringLiteral(":/icons/AppLogo.svg"))));
    // Closing the main window leaves the agent running in the tray.
    QApplication::setQuitOnLastWindowClosed(false);

    SingleInstanceGuard guard(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    if (!guard.becomePrimary()) {
        if (!guard.askPrimaryToShow()) {
            logger.log("[Thrumwise] Another copy is running but did not answer");
        }
        return 0;
    }

    MessageBoxAlertPresenter alerts;
    AppServices services(logger, alerts);

    AppDelegate delegate(services.delegateServices());

    FileDialogAppPicker files;
    MainWindow mainWindow(ViewServices{services.state(), services.installedApps(),
                                       services.haptics(), services.installedApps(), files},
                          MainWindow::Actions{[&delegate] {
                              delegate.checkPermissions();
                          }});
    SettingsView settings;
    settings.setWindowTitle(QObject::tr("Thrumwise Settings"));
    settings.setWindowFlag(Qt::Window);

    QObject::connect(&delegate, &AppDelegate::mainWindowRequested, &mainWindow,
                     [&mainWindow] { bringForward(mainWindow); });
    QObject::connect(&guard, &SingleInstanceGuard::showRequested, &mainWindow,
                     [&mainWindow] { bringForward(mainWindow); });
    QObject::connect(&delegate, &AppDelegate::settingsRequested, &settings,
                     [&settings] { bringForward(settings); });
    QObject::connect(&mainWindow, &MainWindow::settingsRequested, &settings,
                     [&settings] { bringForward(settings); });
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                     [&delegate] { delegate.applicationWillTerminate(); });
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::received, &delegate,
                     [&delegate] { delegate.quitApp(); });

    delegate.applicationDidFinishLaunching();
    centre(mainWindow);
    mainWindow.show();
    return QApplication::exec();
}

}  // namespace thrumwise
