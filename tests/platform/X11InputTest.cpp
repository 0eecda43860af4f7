#include "app/AppState.h"
#include "input/InputMonitor.h"
#include "platform/x11/X11GlobalEventSource.h"
#include "support/AppStateFixture.h"
#include "support/LogRecorder.h"
#include "support/XvfbServer.h"

#include <string>
#include <utility>
#include <vector>

#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;

namespace {

constexpr const char* kStarted = "[InputMonitor] Started monitoring keyboard and mouse input";
constexpr const char* kLost = "[InputMonitor] Lost the X display connection; monitoring stopped";
constexpr const char* kFailed =
    "[InputMonitor] Failed to create event tap — check Accessibility AND Input Monitoring in "
    "System Settings.";

using KeyPresses = std::vector<std::pair<std::uint16_t, ModifierSet>>;
using Clicks = std::vector<std::pair<MouseButton, ModifierSet>>;

// What the input monitor reports through its four callbacks.
struct MonitorReports {
    explicit MonitorReports(InputMonitor& monitor) {
        monitor.setOnKeyDown([this](std::uint16_t code, auto, ModifierSet modifiers) {
            keyDowns.emplace_back(code, modifiers);
        });
        monitor.setOnKeyUp([this](std::uint16_t code, auto, ModifierSet modifiers) {
            keyUps.emplace_back(code, modifiers);
        });
        monitor.setOnMouseDown([this](MouseButton button, ModifierSet modifiers) {
            mouseDowns.emplace_back(button, modifiers);
        });
        monitor.setOnMouseUp([this](MouseButton button, ModifierSet modifiers) {
            mouseUps.emplace_back(button, modifiers);
        });
    }

    KeyPresses keyDowns;
    KeyPresses keyUps;
    Clicks mouseDowns;
    Clicks mouseUps;
};

QString describe(const QuartzEvent& event) {
    return QStringLiteral("%1 %2 %3")
        .arg(static_cast<int>(event.type))
        .arg(event.keyCode)
        .arg(event.flags, 0, 16);
}

QString keyDown(int code, std::uint64_t flags = 0) {
    return describe({QuartzEventType::keyDown, code, flags});
}
QString keyUp(int code, std::uint64_t flags = 0) {
    return describe({QuartzEventType::keyUp, code, flags});
}
QString flagsChanged(int code, std::uint64_t flags) {
    return describe({QuartzEventType::flagsChanged, code, flags});
}
QString mouse(QuartzEventType type) {
    return describe({type, 0, 0});
}

}  // namespace

class X11InputTest : public QObject {
    Q_OBJECT

    test::XvfbServer server_;
    test::LogRecorder log_;
    test::AppStateFixture app_;
    AppState& state_ = app_.state();

    void xdotool(const QStringList& arguments) const {
        QVERIFY2(server_.run(QStringLiteral("xdotool"), arguments),
                 qPrintable(arguments.join(QLatin1Char(' '))));
    }

    void xdotool(const char* arguments) const {
        xdotool(QString::fromUtf8(arguments).split(QLatin1Char(' ')));
    }

    // Starts a source that writes down every event it hands on.
    static bool startRecording(X11GlobalEventSource& source, QStringList& events) {
        return source.start([&events](const QuartzEvent& event) { events << describe(event); },
                            [] { QFAIL("connection lost"); });
    }

private Q_SLOTS:
    void init() {
        QVERIFY(server_.start());
        log_.clear();
    }

    void cleanup() { server_.kill(); }

    void keysAndClicksReachTheMonitorOncePerPress() {
        X11GlobalEventSource source(server_.displayName().toStdString(), log_.logger());
        InputMonitor monitor(source, state_, log_.logger());
        MonitorReports reports(monitor);
        monitor.start();
        QVERIFY(monitor.isMonitoring());
        QCOMPARE(log_.lines(), std::vector<std::string>{kStarted});

        xdotool("key a");
        xdotool("key shift+b");
        xdotool("click 1");
        xdotool("click 3");
        // The server delivers in order: a doubled press would arrive before this one.
        xdotool("key z");

        QTRY_COMPARE(reports.keyUps.size(), std::size_t{3});
        QVERIFY(reports.keyDowns == (KeyPresses{{0, {}}, {11, {ModifierKey::shift}}, {6, {}}}));
        // xdotool lets go of Shift before B, so only the codes of the releases are certain.
        const std::vector<std::uint16_t> released{reports.keyUps[0].first, reports.keyUps[1].first,
                                                  reports.keyUps[2].first};
        QCOMPARE(released, (std::vector<std::uint16_t>{0, 11, 6}));
        const Clicks clicks{{MouseButton::left, {}}, {MouseButton::right, {}}};
        QVERIFY(reports.mouseDowns == clicks);
        QVERIFY(reports.mouseUps == clicks);
        QVERIFY(monitor.heldModifiers().empty());
        QTRY_COMPARE(state_.lastInputEvent(), std::optional<std::string>("⌨ Z"));
    }

    void shiftAloneChangesOnlyTheHeldModifiers() {
        X11GlobalEventSource source(server_.displayName().toStdString(), log_.logger());
        InputMonitor monitor(source, state_, log_.logger());
        MonitorReports reports(monitor);
        monitor.start();

        xdotool("keydown shift");
        QTRY_VERIFY(monitor.heldModifiers() == ModifierSet{ModifierKey::shift});
        xdotool("click 1");
        QTRY_COMPARE(reports.mouseUps.size(), std::size_t{1});
        QVERIFY(reports.mouseDowns == (Clicks{{MouseButton::left, {ModifierKey::shift}}}));
        xdotool("keyup shift");
        QTRY_VERIFY(monitor.heldModifiers().empty());

        QVERIFY(reports.keyDowns.empty());
        QVERIFY(reports.keyUps.empty());
    }

    void eventsTakeTheShapeOfTheMacEventTap() {
        X11GlobalEventSource source(server_.displayName().toStdString(), log_.logger());
        QStringList events;
        QVERIFY(startRecording(source, events));

        // X keycodes, so that only the key's position counts: both Shifts, A,
        // the right Control, Alt and Super, F5 and Print Screen.
        xdotool("keydown 50 keydown 62 keyup 50 key 38 keyup 62");
        xdotool("keydown 105 keydown 108 keydown 134 key 71 keyup 134 keyup 108 keyup 105");
        xdotool("click 2 click 4 click 5 click 8 key 107 key Escape");

        const std::uint64_t all =
            QuartzFlags::control | QuartzFlags::alternate | QuartzFlags::command;
        const QStringList expected{
            flagsChanged(56, QuartzFlags::shift),
            flagsChanged(60, QuartzFlags::shift),
            flagsChanged(56, QuartzFlags::shift),  // the right Shift is still down
            keyDown(0, QuartzFlags::shift),
            keyUp(0, QuartzFlags::shift),
            flagsChanged(60, 0),
            flagsChanged(62, QuartzFlags::control),
            flagsChanged(61, QuartzFlags::control | QuartzFlags::alternate),
            flagsChanged(54, all),
            keyDown(96, all),
            keyUp(96, all),
            flagsChanged(54, QuartzFlags::control | QuartzFlags::alternate),
            flagsChanged(61, QuartzFlags::control),
            flagsChanged(62, 0),
            mouse(QuartzEventType::otherMouseDown),  // middle; the wheel gives nothing
            mouse(QuartzEventType::otherMouseUp),
            mouse(QuartzEventType::otherMouseDown),  // back
            mouse(QuartzEventType::otherMouseUp),
            keyDown(53),  // Print Screen has no Mac key
            keyUp(53),
        };
        QTRY_COMPARE(events.size(), expected.size());
        QCOMPARE(events, expected);
    }

    void modifiersHeldBeforeStartingCount() {
        xdotool("keydown 37");  // the left Control
        X11GlobalEventSource source(server_.displayName().toStdString(), log_.logger());
        QStringList events;
        QVERIFY(startRecording(source, events));

        xdotool("key 38 keyup 37");

        const QStringList expected{keyDown(0, QuartzFlags::control), keyUp(0, QuartzFlags::control),
                                   flagsChanged(59, 0)};
        QTRY_COMPARE(events.size(), expected.size());
        QCOMPARE(events, expected);
    }

    void keysGrabbedByTheWindowManagerAreStillSeen() {
        QVERIFY(server_.startWindowManager());
        X11GlobalEventSource source(server_.displayName().toStdString(), log_.logger());
        QStringList events;
        QVERIFY(startRecording(source, events));

        xdotool("keydown 133 key 40 keyup 133");  // Super+D, openbox's "show desktop"

        const QStringList expected{flagsChanged(55, QuartzFlags::command),
                                   keyDown(2, QuartzFlags::command), keyUp(2, QuartzFlags::command),
                                   flagsChanged(55, 0)};
        QTRY_COMPARE(events.size(), expected.size());
        QCOMPARE(events, expected);
    }

    void stoppingAndStartingAgainKeepsListening() {
        X11GlobalEventSource source(server_.displayName().toStdString(), log_.logger());
        InputMonitor monitor(source, state_, log_.logger());
        MonitorReports reports(monitor);
        monitor.start();
        monitor.stop();
        QVERIFY(!monitor.isMonitoring());
        monitor.start();
        QVERIFY(monitor.isMonitoring());

        xdotool("key a");

        QTRY_COMPARE(reports.keyUps.size(), std::size_t{1});
        QVERIFY(reports.keyDowns == (KeyPresses{{0, {}}}));
        QCOMPARE(log_.count(kStarted), std::size_t{2});
    }

    void aLostDisplayStopsMonitoringUntilTheNextStart() {
        X11GlobalEventSource source(server_.displayName().toStdString(), log_.logger());
        InputMonitor monitor(source, state_, log_.logger());
        MonitorReports reports(monitor);
        monitor.start();
        xdotool("keydown a");
        QTRY_VERIFY(monitor.isKeyHeld(0));

        server_.kill();

        QTRY_COMPARE(log_.count(kLost), std::size_t{1});
        QVERIFY(!monitor.isMonitoring());
        QVERIFY(!monitor.isKeyHeld(0));

        QVERIFY(server_.restart());
        monitor.start();
        QVERIFY(monitor.isMonitoring());
        xdotool("key b");
        QTRY_COMPARE(reports.keyUps.size(), std::size_t{1});
        QVERIFY(reports.keyDowns == (KeyPresses{{0, {}}, {11, {}}}));
        QCOMPARE(log_.count(kLost), std::size_t{1});
    }

    // Closing says goodbye to the server, which may be gone unnoticed by then.
    void stoppingAfterTheDisplayWentAwayIsQuiet() {
        X11GlobalEventSource source(server_.displayName().toStdString(), log_.logger());
        InputMonitor monitor(source, state_, log_.logger());
        monitor.start();

        server_.kill();
        monitor.stop();

        QVERIFY(!monitor.isMonitoring());
        QCOMPARE(log_.lines(),
                 (std::vector<std::string>{kStarted, "[InputMonitor] Stopped monitoring"}));
    }

    void withoutAReachableDisplayStartFails() {
        // A socket path of its own, so that no other server can be listening there.
        const QTemporaryDir folder;
        const std::string display = folder.filePath(QStringLiteral("no-server:0")).toStdString();
        X11GlobalEventSource source(display, log_.logger());
        QVERIFY(!source.start([](const QuartzEvent&) {}, [] {}));

        InputMonitor monitor(source, state_, log_.logger());
        monitor.start();
        QVERIFY(!monitor.isMonitoring());
        QCOMPARE(log_.lines(), std::vector<std::string>{kFailed});
    }
};

QTEST_GUILESS_MAIN(X11InputTest)
#include "X11InputTest.moc"
