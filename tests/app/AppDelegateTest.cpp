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

// The services the delegate starts log "(services)" and "(update)". Members
// end in reverse: users before what they use.
struct Rig {
    test::AppStateFixture app;
    AppState& state = app.state();
    test::LogRecorder& log = app.log;
    test::FakeEventSource source;
    InputMonitor inputMonitor{source, log.logger()};
    FakePlatform platform;
    test::ManualTimerFactory timers;
    std::optional<std::string> noActiveProfile;
    AppMonitor appMonitor{platform,
                          {[this]() -> const std::vector<GameProfile>& { return state.profiles(); },
                           [this] {
                               return noActiveProfile;
                           }},
                          timers,
                          log.logger()};
    AppDelegate delegate{{state, inputMonitor, appMonitor, platform, timers, log.logger(),
                          [this] { log.logger().log("(services)"); },
                          [this] {
                              log.logger().log("(update)");
                          }}};

    // The lines it logged, but the tray's (the offscreen platform has none).
    Lines launch() {
        delegate.applicationDidFinishLaunching();
        Lines lines = log.lines();
        std::erase(lines,
                   "[Thrumwise] No system tray found; use the main window to control Thrumwise");
        log.clear();
        return lines;
    }
};

}  // namespace

class AppDelegateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Without accessibility the launch says so first. Each poll then reads
    // accessibility and input monitoring, and starts capture or restarts it.
    void launchingStartsEverythingInOrderAndThePollRestartsCapture() {
        Rig granted;
        QCOMPARE(granted.launch(),
                 (Lines{"(services)", "[InputMonitor] Started monitoring keyboard and mouse input",
                        "[AppMonitor] Started monitoring frontmost application", "(update)"}));
        QVERIFY(granted.state.isInputMonitoringGranted());
        Rig rig;
        rig.platform.accessibility = rig.platform.inputMonitoring = false;
        rig.source.startSucceeds = false;
        QCOMPARE(
            rig.launch().front(),
            std::string("[Thrumwise] Accessibility permissions required for input monitoring"));
        QVERIFY(!rig.state.isInputMonitoringGranted());
        rig.source.startSucceeds = true;
        for (const auto& [accessibility, inputMonitoring, starts, stops] :
             std::vector<std::tuple<bool, bool, int, int>>{
                 {false, false, 1, 0},  // not trusted: capture left alone
                 {true, false, 2, 0},   // trusted, no capture yet: start
                 {true, false, 2, 0},   // capture running, input monitoring still missing
                 {true, true, 3, 1},    // granted since the last check: restart once
                 {true, true, 3, 1},
                 {false, true, 3, 1},  // revoked: reflected, capture left alone
             }) {
            rig.platform.accessibility = accessibility;
            rig.platform.inputMonitoring = inputMonitoring;
            rig.timers.at(1).tick();  // 0 is the frontmost poll, started first
            QCoreApplication::sendPostedEvents();
            QVERIFY(rig.source.startCount == starts && rig.source.stopCount == stops);
            QVERIFY(rig.state.isAccessibilityGranted() == accessibility &&
                    rig.state.isInputMonitoringGranted() == inputMonitoring);
        }
        rig.log.clear();
        rig.delegate.applicationWillTerminate();
        QCOMPARE(rig.log.lines(),
                 (Lines{"[InputMonitor] Stopped monitoring", "[AppMonitor] Stopped monitoring"}));
    }

    // The check mark follows the switch, also when the main window flips it;
    // the icon follows the desktop's colours.
    void theTrayFlipsTheSwitchAndAsksForTheWindows() {
        Rig rig;
        rig.launch();
        const QList<QAction*> items = rig.delegate.statusMenu()->actions();
        items.at(0)->trigger();
        QVERIFY(!rig.state.isEnabled() && !items.at(0)->isChecked());
        rig.state.setEnabled(true);
        QVERIFY(items.at(0)->isChecked());
        QSignalSpy main(&rig.delegate, &AppDelegate::mainWindowRequested);
        QSignalSpy settings(&rig.delegate, &AppDelegate::settingsRequested);
        items.at(2)->trigger();
        items.at(3)->trigger();
        QVERIFY(main.count() == 1 && settings.count() == 1);
        const qint64 icon = rig.delegate.statusItem()->icon().cacheKey();
        QPalette light = QApplication::palette();
        light.setColor(QPalette::WindowText, Qt::white);
        QApplication::setPalette(light);
        QVERIFY(rig.delegate.statusItem()->icon().cacheKey() != icon);
    }
};

QTEST_MAIN(AppDelegateTest)
#include "AppDelegateTest.moc"
