#include "common/Clock.h"
#include "engine/TriggerEngine.h"
#include "input/InputMonitor.h"
#include "platform/x11/X11GlobalEventSource.h"
#include "support/LogRecorder.h"
#include "support/ManualTimerFactory.h"
#include "support/RecordingHaptics.h"
#include "support/SampleProfiles.h"
#include "support/XvfbServer.h"

#include <memory>

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

QString key(RawInputType type, int code, std::uint64_t flags = 0) {
    return describe({type, code, flags});
}

constexpr auto down = RawInputType::keyDown;
constexpr auto up = RawInputType::keyUp;
constexpr auto alone = RawInputType::modifiersChanged;

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

    // By key position: X keycodes for both Shifts, A, the right Control, Alt and
    // Super, F5, Print Screen. Only the master devices are heard: nothing twice.
    void eventsCarryMacKeyCodesAndModifierFlagsOncePerPress() {
        QVERIFY(record());
        xdotool("keydown 50 keydown 62 keyup 50 key 38 keyup 62");
        xdotool("keydown 105 keydown 108 keydown 134 key 71 keyup 134 keyup 108 keyup 105");
        xdotool("click 1 click 3 click 2 click 4 key 107 key Escape");
        const std::uint64_t shift = ModifierFlags::shift;
        const std::uint64_t control = ModifierFlags::control;
        const std::uint64_t option = ModifierFlags::option;
        const std::uint64_t all = control | option | ModifierFlags::command;
        expectEvents({
            key(alone, 56, shift),
            key(alone, 60, shift),
            key(alone, 56, shift),  // the right Shift is still down
            key(down, 0, shift),
            key(up, 0, shift),
            key(alone, 60, 0),
            key(alone, 62, control),
            key(alone, 61, control | option),
            key(alone, 54, all),
            key(down, 96, all),
            key(up, 96, all),
            key(alone, 54, control | option),
            key(alone, 61, control),
            key(alone, 62, 0),
            describe({RawInputType::leftMouseDown}),
            describe({RawInputType::leftMouseUp}),
            describe({RawInputType::rightMouseDown}),
            describe({RawInputType::rightMouseUp}),
            describe({RawInputType::otherMouseDown}),  // middle; the wheel gives nothing
            describe({RawInputType::otherMouseUp}),
            key(down, 53),
            key(up, 53),  // Print Screen has no Mac key
        });
    }

    // Held before the start, and grabbed by the window manager: both still count.
    void modifiersHeldBeforeStartingAndGrabbedKeysCount() {
        QVERIFY(server_.startWindowManager());
        xdotool("keydown 37");  // the left Control
        QVERIFY(record());
        xdotool("key 38 keyup 37");
        xdotool("keydown 133 key 40 keyup 133");  // Super+D, openbox's "show desktop"
        const std::uint64_t command = ModifierFlags::command;
        expectEvents({key(down, 0, ModifierFlags::control), key(up, 0, ModifierFlags::control),
                      key(alone, 59, 0), key(alone, 55, command), key(down, 2, command),
                      key(up, 2, command), key(alone, 55, 0)});
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
        const std::uint64_t shift = ModifierFlags::shift;
        QStringList expected{key(alone, 56, shift), key(down, 0, shift),
                             key(RawInputType::leftMouseDown, 0, shift),
                             key(RawInputType::otherMouseDown, 0, shift)};
        expectEvents(expected);

        mover.focus(None);
        expected << onFocusLoss(key(up, 0, shift)) << onFocusLoss(key(alone, 56, 0))
                 << onFocusLoss(key(RawInputType::leftMouseUp, 0))
                 << onFocusLoss(key(RawInputType::otherMouseUp, 0));
        expectEvents(expected);

        mover.focus(window);
        mover.focus(None);  // nothing is held any more
        xdotool("keyup 38 keyup 50 mouseup 1 mouseup 2");
        expected << key(up, 0) << key(alone, 56, 0) << key(RawInputType::leftMouseUp, 0)
                 << key(RawInputType::otherMouseUp, 0);
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
        expectEvents({key(down, 0)});

        mover.focus(PointerRoot);
        xdotool("keydown 39 mousemove 600 600");
        expectEvents({key(down, 0), key(down, 1)});
        mover.focus(window);
        mover.focus(PointerRoot);
        expectEvents(
            {key(down, 0), key(down, 1), onFocusLoss(key(up, 0)), onFocusLoss(key(up, 1))});
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
        expectEvents({key(down, 11), key(up, 11)});
        // Closing says goodbye to the server, which may be gone unnoticed by then.
        server_.kill();
        source_->stop();
        QCoreApplication::processEvents();
        QCOMPARE(losses_, 1);
        QCOMPARE(log_.lines().size(), std::size_t{1});
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
