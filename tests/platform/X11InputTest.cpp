#include "common/Clock.h"
#include "engine/TriggerEngine.h"
#include "input/InputMonitor.h"
#include "platform/x11/X11GlobalEventSource.h"
#include "support/LogRecorder.h"
#include "support/ManualTimerFactory.h"
#include "support/RecordingHaptics.h"
#include "support/RecordingInputListener.h"
#include "support/SampleProfiles.h"
#include "support/XvfbServer.h"

#include <memory>
#include <utility>
#include <vector>

#include <QTemporaryDir>
#include <QTest>
// After Qt's headers: Xlib's macros clash with Qt's names.
#include <X11/Xlib.h>

using namespace thrumwise;

namespace {

QString onFocusLoss(const QString& release) {
    return release + QStringLiteral(" on focus loss");
}

QString describe(const RawInputEvent& event) {
    const QString text = QStringLiteral("%1 %2 %3")
                             .arg(static_cast<int>(event.type))
                             .arg(event.keyCode)
                             .arg(event.flags, 0, 16);
    return event.isFocusLossRelease ? onFocusLoss(text) : text;
}

QString keyDown(int code, std::uint64_t flags = 0) {
    return describe({RawInputType::keyDown, code, flags});
}
QString keyUp(int code, std::uint64_t flags = 0) {
    return describe({RawInputType::keyUp, code, flags});
}
QString modifiersChanged(int code, std::uint64_t flags) {
    return describe({RawInputType::modifiersChanged, code, flags});
}
QString mouse(RawInputType type, std::uint64_t flags = 0) {
    return describe({type, 0, flags});
}

// The master switch is on, the plug-in connected.
bool isTrue() {
    return true;
}

// A client of the display that moves the keyboard focus, as a window manager
// does; under XWayland the compositor moves it to None or PointerRoot when a
// Wayland window takes the keyboard.
class FocusMover {
public:
    explicit FocusMover(const QString& displayName)
        : display_(XOpenDisplay(displayName.toLocal8Bit().constData())) {}
    ~FocusMover() {
        if (display_ != nullptr) {
            XCloseDisplay(display_);
        }
    }
    FocusMover(const FocusMover&) = delete;
    FocusMover& operator=(const FocusMover&) = delete;

    bool isOpen() const { return display_ != nullptr; }

    // A window on screen at the top left corner, 200 pixels square.
    Window openWindow() {
        const Window window =
            XCreateSimpleWindow(display_, XDefaultRootWindow(display_), 0, 0, 200, 200, 0, 0, 0);
        XMapWindow(display_, window);
        XSync(display_, False);
        return window;
    }

    void focus(Window window) {
        XSetInputFocus(display_, window, RevertToNone, CurrentTime);
        XSync(display_, False);
    }

private:
    Display* display_;
};

}  // namespace

class X11InputTest : public QObject {
    Q_OBJECT

    test::XvfbServer server_;
    test::LogRecorder log_;
    std::unique_ptr<X11GlobalEventSource> source_;
    QStringList events_;
    int losses_ = 0;

    void xdotool(const char* arguments) const {
        const QStringList words = QString::fromUtf8(arguments).split(QLatin1Char(' '));
        QVERIFY2(server_.run(QStringLiteral("xdotool"), words), arguments);
    }

    // Starts the source, writing down every event it hands on.
    bool record() {
        return source_->start([this](const RawInputEvent& event) { events_ << describe(event); },
                              [this] { ++losses_; });
    }

    void expectEvents(const QStringList& expected) {
        QTRY_COMPARE(events_.size(), expected.size());
        QCOMPARE(events_, expected);
    }

private Q_SLOTS:
    void init() {
        QVERIFY(server_.start());
        log_.clear();
        events_.clear();
        losses_ = 0;
        source_ = std::make_unique<X11GlobalEventSource>(server_.displayName().toStdString(),
                                                         log_.logger());
    }

    void cleanup() {
        source_.reset();
        server_.kill();
    }

    // Only the master devices are heard, so no press arrives twice.
    void keysAndClicksReachTheMonitorOncePerPress() {
        InputMonitor monitor(*source_, log_.logger());
        test::RecordingInputListener listener;
        monitor.addListener(listener);
        monitor.start();

        xdotool("key a");
        xdotool("key shift+b");
        xdotool("click 1");
        xdotool("click 3");
        // The server delivers in order: a doubled press would arrive before this one.
        xdotool("key z");

        QTRY_COMPARE(listener.calls.size(), std::size_t{10});
        QStringList calls;
        for (const std::string& call : listener.calls) {
            calls << QString::fromStdString(call);
        }
        QCOMPARE(calls.join(u','),
                 QStringLiteral("keyDown 0 A,keyUp 0 A,keyDown 11 B shift,keyUp 11 B,"
                                "mouseDown left,mouseUp left,mouseDown right,mouseUp right,"
                                "keyDown 6 Z,keyUp 6 Z"));
    }

    void eventsCarryMacKeyCodesAndModifierFlags() {
        QVERIFY(record());

        // X keycodes, so that only the key's position counts: both Shifts, A,
        // the right Control, Alt and Super, F5 and Print Screen.
        xdotool("keydown 50 keydown 62 keyup 50 key 38 keyup 62");
        xdotool("keydown 105 keydown 108 keydown 134 key 71 keyup 134 keyup 108 keyup 105");
        xdotool("click 2 click 4 click 5 click 8 key 107 key Escape");

        const std::uint64_t all =
            ModifierFlags::control | ModifierFlags::option | ModifierFlags::command;
        expectEvents({
            modifiersChanged(56, ModifierFlags::shift),
            modifiersChanged(60, ModifierFlags::shift),
            modifiersChanged(56, ModifierFlags::shift),  // the right Shift is still down
            keyDown(0, ModifierFlags::shift),
            keyUp(0, ModifierFlags::shift),
            modifiersChanged(60, 0),
            modifiersChanged(62, ModifierFlags::control),
            modifiersChanged(61, ModifierFlags::control | ModifierFlags::option),
            modifiersChanged(54, all),
            keyDown(96, all),
            keyUp(96, all),
            modifiersChanged(54, ModifierFlags::control | ModifierFlags::option),
            modifiersChanged(61, ModifierFlags::control),
            modifiersChanged(62, 0),
            mouse(RawInputType::otherMouseDown),  // middle; the wheel gives nothing
            mouse(RawInputType::otherMouseUp),
            mouse(RawInputType::otherMouseDown),  // back
            mouse(RawInputType::otherMouseUp),
            keyDown(53),  // Print Screen has no Mac key
            keyUp(53),
        });
    }

    void modifiersHeldBeforeStartingCount() {
        xdotool("keydown 37");  // the left Control
        QVERIFY(record());
        xdotool("key 38 keyup 37");
        expectEvents({keyDown(0, ModifierFlags::control), keyUp(0, ModifierFlags::control),
                      modifiersChanged(59, 0)});
    }

    void keysGrabbedByTheWindowManagerAreStillSeen() {
        QVERIFY(server_.startWindowManager());
        QVERIFY(record());
        xdotool("keydown 133 key 40 keyup 133");  // Super+D, openbox's "show desktop"
        expectEvents({modifiersChanged(55, ModifierFlags::command),
                      keyDown(2, ModifierFlags::command), keyUp(2, ModifierFlags::command),
                      modifiersChanged(55, 0)});
    }

    // Nothing is released while an X window has the focus, then everything
    // held at once, keys before buttons; the real releases that a plain X
    // server still delivers afterwards come as usual.
    void whenTheFocusGoesToNoneEverythingHeldIsReleasedOnce() {
        FocusMover mover(server_.displayName());
        QVERIFY(mover.isOpen());
        const Window window = mover.openWindow();
        mover.focus(window);
        QVERIFY(record());
        xdotool("keydown 50 keydown 38 mousedown 1 mousedown 2");
        QStringList expected{modifiersChanged(56, ModifierFlags::shift),
                             keyDown(0, ModifierFlags::shift),
                             mouse(RawInputType::leftMouseDown, ModifierFlags::shift),
                             mouse(RawInputType::otherMouseDown, ModifierFlags::shift)};
        expectEvents(expected);

        mover.focus(None);
        expected << onFocusLoss(keyUp(0, ModifierFlags::shift))
                 << onFocusLoss(modifiersChanged(56, 0))
                 << onFocusLoss(mouse(RawInputType::leftMouseUp))
                 << onFocusLoss(mouse(RawInputType::otherMouseUp));
        expectEvents(expected);

        mover.focus(window);
        mover.focus(None);  // nothing is held any more
        xdotool("keyup 38 keyup 50 mouseup 1 mouseup 2");
        expected << keyUp(0) << modifiersChanged(56, 0) << mouse(RawInputType::leftMouseUp)
                 << mouse(RawInputType::otherMouseUp);
        expectEvents(expected);
    }

    // PointerRoot sends keys to the window under the pointer: only over no
    // window has the focus left.
    void focusOnPointerRootIsLostOnlyOverNoWindow() {
        FocusMover mover(server_.displayName());
        QVERIFY(mover.isOpen());
        const Window window = mover.openWindow();
        mover.focus(window);
        QVERIFY(record());
        xdotool("mousemove 100 100 keydown 38");
        expectEvents({keyDown(0)});

        mover.focus(PointerRoot);
        xdotool("keydown 39 mousemove 600 600");
        expectEvents({keyDown(0), keyDown(1)});
        mover.focus(window);
        mover.focus(PointerRoot);
        expectEvents({keyDown(0), keyDown(1), onFocusLoss(keyUp(0)), onFocusLoss(keyUp(1))});
        xdotool("keyup 38 keyup 39");
    }

    // Under XWayland a key released in a Wayland window never reaches X: its
    // repeat must stop when the focus goes, and its next press must count.
    void aRepeatStopsWhenTheFocusLeavesAndTheNextPressFires() {
        FocusMover mover(server_.displayName());
        QVERIFY(mover.isOpen());
        const Window window = mover.openWindow();
        mover.focus(window);
        InputMonitor monitor(*source_, log_.logger());
        test::RecordingHaptics haptics;
        SteadyClock clock;
        test::ManualTimerFactory timers;
        TriggerEngine engine(monitor, haptics, {isTrue, isTrue}, clock, timers, log_.logger());
        KeyMapping mapping = test::keyMapping("M", 0, "wave");
        mapping.triggerOnHold = true;
        mapping.holdRepeatIntervalMs = 100;
        engine.setActiveProfile(test::profile("P", "Arena", "arena", {mapping}));
        monitor.start();

        xdotool("keydown 38");
        QTRY_COMPARE(haptics.patterns.size(), std::size_t{1});
        timers.tickAll();
        QCOMPARE(haptics.patterns.size(), std::size_t{2});

        mover.focus(None);
        QTRY_VERIFY(!monitor.isKeyHeld(0));
        QCOMPARE(timers.runningCount(), std::size_t{0});
        timers.tickAll();

        // The server still counts the key as down, as XWayland does when the
        // release went to a Wayland window: its next press is a repeat to X,
        // and must fire all the same.
        mover.focus(window);
        xdotool("keydown 38");
        QTRY_COMPARE(haptics.patterns.size(), std::size_t{3});
        QCOMPARE(timers.runningCount(), std::size_t{1});
        xdotool("keyup 38");
        QTRY_VERIFY(!monitor.isKeyHeld(0));
        QCOMPARE(timers.runningCount(), std::size_t{0});
        QCOMPARE(haptics.patterns, std::vector<std::string>(3, "wave"));
    }

    void aLostDisplayIsReportedOnceAndTheNextStartListensAgain() {
        QVERIFY(record());
        server_.kill();
        QTRY_COMPARE(losses_, 1);
        QCOMPARE(log_.lines(),
                 std::vector<std::string>{
                     "[InputMonitor] Lost the X display connection; monitoring stopped"});

        QVERIFY(server_.restart());
        QVERIFY(record());
        xdotool("key b");
        expectEvents({keyDown(11), keyUp(11)});
        QCOMPARE(losses_, 1);
    }

    // Closing says goodbye to the server, which may be gone unnoticed by then.
    void stoppingAfterTheDisplayWentAwayIsQuiet() {
        QVERIFY(record());
        server_.kill();
        source_->stop();
        QCoreApplication::processEvents();
        QCOMPARE(losses_, 0);
        QVERIFY(log_.lines().empty());
    }

    void withoutAReachableDisplayStartFails() {
        // A socket path of its own, so that no other server can be listening there.
        const QTemporaryDir folder;
        source_ = std::make_unique<X11GlobalEventSource>(
            folder.filePath(QStringLiteral("no-server:0")).toStdString(), log_.logger());
        QVERIFY(!record());
    }
};

QTEST_GUILESS_MAIN(X11InputTest)
#include "X11InputTest.moc"
