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
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

using namespace thrumwise;
using Lines = std::vector<std::string>;

namespace {

class FakePermissions final : public PermissionProbe {
public:
    bool isAccessibilityGranted() override { return accessibility; }
    bool isInputMonitoringGranted() override { return inputMonitoring; }
    bool accessibility = true;
    bool inputMonitoring = true;
};

class NoFrontmostApplication final : public FrontmostApplicationSource {
public:
    std::optional<FrontmostApplication> frontmostApplication() override { return std::nullopt; }
};

// A delegate over a fake input source and permissions. The services it starts
// log "(services)" and "(update)". Members end in reverse: users before what they use.
struct Rig {
    test::AppStateFixture app;
    AppState& state = app.state();
    test::LogRecorder& log = app.log;
    test::FakeEventSource source;
    InputMonitor inputMonitor{source, log.logger()};
    NoFrontmostApplication frontmost;
    test::ManualTimerFactory timers;
    AppMonitor appMonitor{frontmost,
                          {[this]() -> const std::vector<GameProfile>& { return state.profiles(); },
                           [] {
                               return std::optional<std::string>();
                           }},
                          timers,
                          log.logger()};
    FakePermissions permissions;
    AppDelegate delegate{{state, inputMonitor, appMonitor, permissions, timers, log.logger(),
                          [this] { log.logger().log("(services)"); },
                          [this] {
                              log.logger().log("(update)");
                          }}};

    // Launches with the permissions as they are; the lines it logged, but the tray's.
    Lines launch() {
        delegate.applicationDidFinishLaunching();
        Lines lines = log.lines();
        std::erase(lines,  // the offscreen platform has no tray
                   "[Thrumwise] No system tray found; use the main window to control Thrumwise");
        log.clear();
        return lines;
    }
    void poll() const {
        timers.at(1).tick();  // 0 is the frontmost poll, started first
        QCoreApplication::sendPostedEvents();
    }
    void grant(bool granted) { permissions.accessibility = permissions.inputMonitoring = granted; }
    QAction* menuItem(int index) const { return delegate.statusMenu()->actions().at(index); }
};

}  // namespace

class AppDelegateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void launchingStartsEverythingInOrder() {
        const Lines started{"(services)",
                            "[InputMonitor] Started monitoring keyboard and mouse input",
                            "[AppMonitor] Started monitoring frontmost application", "(update)"};
        Rig granted;
        QCOMPARE(granted.launch(), started);
        QVERIFY(granted.state.isInputMonitoringGranted());
        QCOMPARE(granted.timers.at(1).interval, std::chrono::milliseconds(3000));
        granted.poll();  // the first poll leaves a running capture alone
        QVERIFY(granted.source.startCount == 1 && granted.source.stopCount == 0);
        Rig missing;
        missing.grant(false);
        Lines asked{"[Thrumwise] Accessibility permissions required for input monitoring"};
        asked.insert(asked.end(), started.begin(), started.end());
        QCOMPARE(missing.launch(), asked);
        QVERIFY(!missing.state.isInputMonitoringGranted());
    }

    void thePermissionPollRestartsCaptureAsPermissionsArrive() {
        Rig rig;
        rig.grant(false);
        rig.source.startSucceeds = false;
        rig.launch();
        rig.source.startSucceeds = true;
        struct Poll {
            bool accessibility;
            bool inputMonitoring;
            int starts;  // capture starts and stops so far
            int stops;
        };
        for (const Poll& poll : std::vector<Poll>{
                 {false, false, 1, 0},  // not trusted: capture left alone
                 {true, false, 2, 0},   // trusted, no capture yet: start
                 {true, false, 2, 0},   // capture running, input monitoring still missing
                 {true, true, 3, 1},    // granted since the last check: restart once
                 {true, true, 3, 1},    // granted before and now: nothing more
                 {false, true, 3, 1},   // revoked: reflected, capture left alone
             }) {
            rig.permissions.accessibility = poll.accessibility;
            rig.permissions.inputMonitoring = poll.inputMonitoring;
            rig.poll();
            QCOMPARE(rig.source.startCount, poll.starts);
            QCOMPARE(rig.source.stopCount, poll.stops);
            QCOMPARE(rig.state.isAccessibilityGranted(), poll.accessibility);
            QCOMPARE(rig.state.isInputMonitoringGranted(), poll.inputMonitoring);
        }
    }

    // The check mark follows the switch, also when the main window flips it.
    void theMenuFlipsTheSwitchAndAsksForTheWindows() {
        Rig rig;
        rig.launch();
        QStringList entries;
        for (QAction* action : rig.delegate.statusMenu()->actions()) {
            entries << action->text() + action->shortcut().toString(QKeySequence::PortableText);
        }
        QCOMPARE(entries.join(u'|'), QStringLiteral("Enable HapticsCtrl+E||Open ThrumwiseCtrl+O|"
                                                    "Settings...Ctrl+,||Quit ThrumwiseCtrl+Q"));
        QAction* enable = rig.menuItem(0);
        for (const bool expected : {false, true}) {
            enable->trigger();
            QVERIFY(rig.state.isEnabled() == expected && enable->isChecked() == expected);
        }
        rig.state.setEnabled(false);
        QVERIFY(!enable->isChecked());
        QSignalSpy main(&rig.delegate, &AppDelegate::mainWindowRequested);
        QSignalSpy settings(&rig.delegate, &AppDelegate::settingsRequested);
        rig.menuItem(2)->trigger();
        rig.menuItem(3)->trigger();
        QVERIFY(main.count() == 1 && settings.count() == 1);
    }

    // Drawn in the palette's text colour, and drawn again when the palette changes.
    void theTrayIconFollowsTheDesktopsColours() {
        Rig rig;
        rig.launch();
        const auto drawnIn = [&rig] {
            const QImage image = rig.delegate.statusItem()->icon().pixmap(22).toImage();
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if (image.pixelColor(x, y).alpha() == 255) {
                        return image.pixelColor(x, y).rgb();
                    }
                }
            }
            return QRgb{};
        };
        const QPalette original = QApplication::palette();
        QCOMPARE(drawnIn(), original.color(QPalette::WindowText).rgb());
        QPalette light = original;
        light.setColor(QPalette::WindowText, QColor(0xfa, 0xfa, 0xfa));
        QApplication::setPalette(light);
        QCOMPARE(drawnIn(), QColor(0xfa, 0xfa, 0xfa).rgb());
        QApplication::setPalette(original);
    }

    void terminatingStopsCaptureThenThePoll() {
        Rig rig;
        rig.launch();
        rig.delegate.applicationWillTerminate();
        QCOMPARE(rig.log.lines(),
                 (Lines{"[InputMonitor] Stopped monitoring", "[AppMonitor] Stopped monitoring"}));
        QVERIFY(!rig.timers.at(0).isRunning);
    }
};

QTEST_MAIN(AppDelegateTest)
#include "AppDelegateTest.moc"
