#include "input/InputMonitor.h"
#include "support/FakeEventSource.h"
#include "support/LogRecorder.h"

#include <QTest>

using namespace thrumwise;
using Lines = std::vector<std::string>;

// Writes down what it hears ("keyDown <code> <name or -> <modifiers>",
// "mouseUp <button> <modifiers>"), then runs `hook`.
struct Recorder final : InputListener {
    using Name = std::optional<std::string_view>;
    explicit Recorder(Lines& into) : calls(into) {}
    void keyDown(std::uint16_t c, Name n, ModifierSet m) override { note("keyDown", key(c, n), m); }
    void keyUp(std::uint16_t c, Name n, ModifierSet m) override { note("keyUp", key(c, n), m); }
    void mouseDown(MouseButton b, ModifierSet m) override { note("mouseDown", rawValue(b), m); }
    void mouseUp(MouseButton b, ModifierSet m) override { note("mouseUp", rawValue(b), m); }
    static std::string key(std::uint16_t code, Name name) {
        return std::to_string(code) + " " + std::string(name.value_or("-"));
    }
    void note(std::string call, std::string_view what, ModifierSet held) {
        call += " " + std::string(what);
        for (const ModifierKey modifier : allCases<ModifierKey>()) {
            call += held.contains(modifier) ? " " + std::string(rawValue(modifier)) : "";
        }
        calls.push_back(std::move(call));
        if (hook) {
            hook();
        }
    }
    Lines& calls;
    std::function<void()> hook;
};

struct Rig {
    test::FakeEventSource source;
    test::LogRecorder log;
    InputMonitor monitor{source, log.logger()};
    Lines calls;
    Recorder listener{calls};
    Lines posted;

    Rig() {
        monitor.addListener(listener);
        monitor.setOnLastInput([this](const std::string& text) { posted.push_back(text); });
        monitor.start();
    }
    Lines posts() const {
        QCoreApplication::sendPostedEvents();
        return posted;
    }
};

class InputMonitorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Auto-repeat is one press; each repeat is shown again, never inside the handler. Mouse
    // events carry the modifiers of the last keyboard event; other buttons and codes no
    // keyboard sends are ignored. Releases are reported even when not held.
    void eachPressIsReportedOnceWithItsModifiersUntilStopped() {
        Rig rig;
        rig.source.keyUp(3);
        rig.source.keyDown(11, ModifierFlags::shift | ModifierFlags::command | 0x100 /* side */);
        rig.source.keyDown(11, ModifierFlags::shift);
        QVERIFY(rig.monitor.isKeyHeld(11));
        rig.source.keyUp(11, ModifierFlags::control | ModifierFlags::option);
        QVERIFY(!rig.monitor.isKeyHeld(11));
        QVERIFY((rig.monitor.heldModifiers() ==
                 ModifierSet{ModifierKey::control, ModifierKey::option}));
        rig.source.keyDown(117);
        QVERIFY(rig.posted.empty());
        rig.source.mouse(RawInputType::rightMouseUp);
        rig.source.send({RawInputType::modifiersChanged, 0, ModifierFlags::shift});
        rig.source.send({RawInputType::leftMouseDown, 0, ModifierFlags::command});
        QVERIFY(rig.monitor.isMouseButtonHeld(MouseButton::left));
        rig.source.mouse(RawInputType::leftMouseUp);
        QVERIFY(!rig.monitor.isMouseButtonHeld(MouseButton::left));
        rig.source.send({RawInputType::modifiersChanged, 0, 0});
        rig.source.mouse(RawInputType::rightMouseDown);
        rig.source.mouse(RawInputType::otherMouseDown);
        rig.source.keyDown(65536);
        rig.source.keyDown(-1);
        QCOMPARE(rig.calls,
                 (Lines{"keyUp 3 F", "keyDown 11 B shift command", "keyUp 11 B control option",
                        "keyDown 117 -", "mouseUp right", "mouseDown left shift",
                        "mouseUp left shift", "mouseDown right"}));
        QCOMPARE(rig.posts(), (Lines{"⌨ B", "⌨ B", "⌨ Key117", "🖱 Right ↑", "🖱 Left ↓",
                                     "🖱 Left ↑", "🖱 Right ↓"}));
        // Started once; a failed start and a lost source leave the monitor stopped, ready to
        // start again. A stop forgets held keys and buttons, not modifiers.
        rig.monitor.start();
        rig.source.keyDown(0, ModifierFlags::shift);
        rig.source.mouse(RawInputType::rightMouseDown);
        rig.monitor.stop();
        rig.monitor.stop();  // logs also when stopped
        QVERIFY(!rig.monitor.isMonitoring() && !rig.monitor.isKeyHeld(0));
        QVERIFY(!rig.monitor.isMouseButtonHeld(MouseButton::right));
        QVERIFY(rig.monitor.heldModifiers() == ModifierSet{ModifierKey::shift});
        rig.monitor.start();
        rig.source.keyDown(0);
        QCOMPARE(rig.calls.back(), std::string("keyDown 0 A"));
        QVERIFY(rig.source.startCount == 2 && rig.source.stopCount == 1);
        rig.source.lose();
        QVERIFY(!rig.monitor.isMonitoring() && !rig.monitor.isKeyHeld(0));
        rig.source.startSucceeds = false;
        rig.monitor.start();
        QVERIFY(!rig.monitor.isMonitoring());
        const std::string started = "[InputMonitor] Started monitoring keyboard and mouse input";
        const std::string stopped = "[InputMonitor] Stopped monitoring";
        QCOMPARE(rig.log.lines(),
                 (Lines{started, stopped, stopped, started,
                        "[InputMonitor] Failed to create event tap — check Accessibility AND Input "
                        "Monitoring in System Settings."}));

        rig.source.startSucceeds = true;
        rig.monitor.start();
        QVERIFY(rig.monitor.isMonitoring());
    }

    // Made-up releases count as real ones, but the last-input line keeps the user's last act.
    // Listeners hear in the order added; one that removes listeners while called keeps no one
    // from hearing.
    void releasesOnFocusLossForgetWhatWasHeldWithoutPostingAndListenersMayLeave() {
        Rig rig;
        rig.source.send({RawInputType::modifiersChanged, 56, ModifierFlags::shift});
        rig.source.keyDown(0, ModifierFlags::shift);
        rig.source.keyDown(11, ModifierFlags::shift);
        rig.source.mouse(RawInputType::leftMouseDown);
        rig.source.mouse(RawInputType::rightMouseDown);
        const Lines postedBefore = rig.posts();
        rig.calls.clear();
        rig.source.focusLossRelease(RawInputType::keyUp, 0, ModifierFlags::shift);
        rig.source.focusLossRelease(RawInputType::keyUp, 11, ModifierFlags::shift);
        rig.source.focusLossRelease(RawInputType::modifiersChanged, 56);
        rig.source.focusLossRelease(RawInputType::leftMouseUp);
        rig.source.focusLossRelease(RawInputType::rightMouseUp);
        QVERIFY(!rig.monitor.isKeyHeld(0) && !rig.monitor.isKeyHeld(11));
        QVERIFY(!rig.monitor.isMouseButtonHeld(MouseButton::left) &&
                !rig.monitor.isMouseButtonHeld(MouseButton::right));
        QVERIFY(rig.monitor.heldModifiers().empty());
        QCOMPARE(rig.calls,
                 (Lines{"keyUp 0 A shift", "keyUp 11 B shift", "mouseUp left", "mouseUp right"}));
        QCOMPARE(rig.posts(), postedBefore);
        // Back in focus, the next press of a key is a press, not a repeat.
        rig.source.keyDown(0);
        rig.source.mouse(RawInputType::leftMouseUp);  // a real release still shows
        QCOMPARE(rig.calls.at(4), std::string("keyDown 0 A"));
        QCOMPARE(rig.posts(),
                 (Lines{"⌨ A", "⌨ B", "🖱 Left ↓", "🖱 Right ↓", "⌨ A", "🖱 Left ↑"}));
        rig.calls.clear();
        Recorder remover(rig.calls);
        remover.hook = [&] {
            rig.monitor.removeListener(rig.listener);
            rig.monitor.removeListener(remover);
        };
        Lines lastCalls;
        Recorder last(lastCalls);
        rig.monitor.addListener(remover);
        rig.monitor.addListener(last);
        rig.source.keyDown(1);
        rig.source.keyUp(1);
        QCOMPARE(rig.calls, Lines(2, "keyDown 1 S"));
        QCOMPARE(lastCalls, (Lines{"keyDown 1 S", "keyUp 1 S"}));
    }
};

QTEST_GUILESS_MAIN(InputMonitorTest)
#include "InputMonitorTest.moc"
