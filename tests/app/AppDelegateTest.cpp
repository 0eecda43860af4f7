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
#include <QSystemTrayIcon>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace thrumwise;
using Lines = std::vector<std::string>;

namespace {

constexpr const char* kPermissionsRequired =
    "[Thrumwise] Accessibility permissions required for input monitoring";

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

// A delegate over a fake input source and permissions. The services it
// starts log "(services)" and "(update)". Members end in reverse: users before
// what they use.
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

    void launch() {
        delegate.applicationDidFinishLaunching();
        log.clear();
    }
    void poll() const {
        timers.at(1).tick();  // 0 is the frontmost poll, started first
        QCoreApplication::sendPostedEvents();
    }
    QAction* menuItem(int index) const { return delegate.statusMenu()->actions().at(index); }
};

}  // namespace

class AppDelegateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void launchingStartsEverythingInOrder_data() {
        QTest::addColumn<bool>("granted");
        QTest::addColumn<Lines>("lines");
        const Lines started{"(services)",
                            "[InputMonitor] Started monitoring keyboard and mouse input",
                            "[AppMonitor] Started monitoring frontmost application", "(update)"};
        Lines asked{kPermissionsRequired};
        asked.insert(asked.end(), started.begin(), started.end());
        QTest::newRow("permissions granted") << true << started;
        QTest::newRow("permissions missing") << false << asked;
    }

    void launchingStartsEverythingInOrder() {
        QFETCH(bool, granted);
        QFETCH(Lines, lines);
        Rig rig;
        rig.permissions.accessibility = granted;
        rig.permissions.inputMonitoring = granted;
        rig.delegate.applicationDidFinishLaunching();
        Lines seen = rig.log.lines();
        // The offscreen platform has no tray.
        std::erase(seen,
                   "[Thrumwise] No system tray found; use the main window to control Thrumwise");
        QCOMPARE(seen, lines);
        QCOMPARE(rig.state.isInputMonitoringGranted(), granted);
        QCOMPARE(rig.timers.at(1).interval, std::chrono::milliseconds(3000));
        rig.poll();  // the first poll leaves a running capture alone
        QCOMPARE(rig.source.startCount, 1);
        QCOMPARE(rig.source.stopCount, 0);
    }

    void thePermissionPollRestartsCaptureAsPermissionsArrive() {
        Rig rig;
        rig.permissions.accessibility = false;
        rig.permissions.inputMonitoring = false;
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
        QVERIFY(rig.inputMonitor.isMonitoring());
    }

    void theMenuHasItsItemsAndShortcuts() {
        Rig rig;
        rig.launch();
        QStringList entries;
        for (QAction* action : rig.delegate.statusMenu()->actions()) {
            entries << (action->isSeparator()
                            ? QStringLiteral("-")
                            : action->text() + QLatin1Char(' ') +
                                  action->shortcut().toString(QKeySequence::PortableText));
        }
        QCOMPARE(entries, (QStringList{QStringLiteral("Enable Haptics Ctrl+E"), QStringLiteral("-"),
                                       QStringLiteral("Open Thrumwise Ctrl+O"),
                                       QStringLiteral("Settings... Ctrl+,"), QStringLiteral("-"),
                                       QStringLiteral("Quit Thrumwise Ctrl+Q")}));

        QSignalSpy main(&rig.delegate, &AppDelegate::mainWindowRequested);
        QSignalSpy settings(&rig.delegate, &AppDelegate::settingsRequested);
        rig.menuItem(2)->trigger();
        rig.menuItem(3)->trigger();
        QCOMPARE(main.count(), 1);
        QCOMPARE(settings.count(), 1);
    }

    void enableHapticsFlipsTheSwitchAndItsCheckMark() {
        Rig rig;
        rig.launch();
        QAction* enable = rig.menuItem(0);
        for (const bool expected : {false, true}) {
            enable->trigger();
            QCOMPARE(rig.state.isEnabled(), expected);
            QCOMPARE(enable->isChecked(), expected);
            QCOMPARE(rig.app.settings.value(QStringLiteral("isEnabled")).toBool(), expected);
        }
        rig.state.setEnabled(false);  // from the main window
        QVERIFY(!enable->isChecked());
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
        QVERIFY(!rig.inputMonitor.isMonitoring());
        QVERIFY(!rig.timers.at(0).isRunning);
    }
};

QTEST_MAIN(AppDelegateTest)
#include "AppDelegateTest.moc"
