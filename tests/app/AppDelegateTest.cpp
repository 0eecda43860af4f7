#include "app/AppDelegate.h"
#include "focus/AppMonitor.h"
#include "input/InputMonitor.h"
#include "platform/FrontmostApplicationSource.h"
#include "platform/PermissionProbe.h"
#include "support/AppStateFixture.h"
#include "support/FakeEventSource.h"
#include "support/ManualTimerFactory.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

using namespace thrumwise;
using Lines = std::vector<std::string>;

namespace {

// Permissions as the test sets them, and nothing in front.
struct FakePlatform final : PermissionProbe, FrontmostApplicationSource {
    bool isAccessibilityGranted() override { return accessibility; }
    bool isInputMonitoringGranted() override { return inputMonitoring; }
    std::optional<FrontmostApplication> frontmostApplication() override { return std::nullopt; }
    bool accessibility = true;
    bool inputMonitoring = true;
};

}  // namespace

class AppDelegateTest : public QObject {
    Q_OBJECT

    static std::optional<std::string> noActiveProfile() { return std::nullopt; }

private Q_SLOTS:
    // Each poll reads accessibility and input monitoring, and starts capture or
    // restarts it. The tray's check mark follows the switch, also when the main
    // window flips it; its icon follows the desktop's colours.
    void launchingStartsEverythingInOrderThenThePollAndTheTrayAct() {
        test::AppStateFixture app;
        AppState& state = app.state();
        Logger& logger = app.log.logger();
        test::FakeEventSource source;
        InputMonitor inputMonitor{source, logger};
        FakePlatform platform;
        test::ManualTimerFactory timers;
        AppMonitor appMonitor{platform,
                              {std::bind_front(&AppState::profiles, &state), noActiveProfile},
                              timers,
                              logger};
        // The services it starts only say so.
        const auto says = [&](const char* text) {
            return std::bind_front(&Logger::log, &logger, text);
        };
        const AppDelegate::Services services{
            state,  inputMonitor, appMonitor,         platform,
            timers, logger,       says("(services)"), says("(update)")};
        AppDelegate delegate{services};
        delegate.applicationDidFinishLaunching();
        QCOMPARE(
            app.log.lines(),  // the offscreen platform has no tray
            (Lines{"[Thrumwise] No system tray found; use the main window to control Thrumwise",
                   "(services)", "[InputMonitor] Started monitoring keyboard and mouse input",
                   "[AppMonitor] Started monitoring frontmost application", "(update)"}));
        QVERIFY(state.isInputMonitoringGranted());
        source.lose();
        for (const auto& [accessibility, inputMonitoring, starts, stops] :
             std::vector<std::tuple<bool, bool, int, int>>{
                 {false, false, 1, 0},  // not trusted: capture left alone
                 {true, false, 2, 0},   // trusted, no capture: start
                 {true, false, 2, 0},   // capture running, input monitoring still missing
                 {true, true, 3, 1},    // granted since the last check: restart once
                 {true, true, 3, 1},
                 {false, true, 3, 1},  // revoked: reflected, capture left alone
             }) {
            platform.accessibility = accessibility;
            platform.inputMonitoring = inputMonitoring;
            timers.at(1).tick();  // 0 is the frontmost poll, started first
            QCoreApplication::sendPostedEvents();
            QVERIFY(source.startCount == starts && source.stopCount == stops);
            QVERIFY(state.isAccessibilityGranted() == accessibility &&
                    state.isInputMonitoringGranted() == inputMonitoring);
        }

        const QList<QAction*> items = delegate.statusMenu()->actions();
        items.at(0)->trigger();
        QVERIFY(!state.isEnabled() && !items.at(0)->isChecked());
        state.setEnabled(true);
        QVERIFY(items.at(0)->isChecked());
        QSignalSpy main(&delegate, &AppDelegate::mainWindowRequested);
        QSignalSpy settings(&delegate, &AppDelegate::settingsRequested);
        items.at(2)->trigger();
        items.at(3)->trigger();
        QVERIFY(main.count() == 1 && settings.count() == 1);
        const qint64 icon = delegate.statusItem()->icon().cacheKey();
        QPalette light = QApplication::palette();
        light.setColor(QPalette::WindowText, Qt::white);
        QApplication::setPalette(light);
        QVERIFY(delegate.statusItem()->icon().cacheKey() != icon);

        // Without accessibility a launch says so first.
        platform.accessibility = false;
        app.log.clear();
        AppDelegate{services}.applicationDidFinishLaunching();
        QCOMPARE(app.log.lines().at(1),
                 "[Thrumwise] Accessibility permissions required for input monitoring");
        app.log.clear();
        delegate.applicationWillTerminate();
        QCOMPARE(app.log.lines(),
                 (Lines{"[InputMonitor] Stopped monitoring", "[AppMonitor] Stopped monitoring"}));
    }
};

QTEST_MAIN(AppDelegateTest)
#include "AppDelegateTest.moc"
