#include "input/InputMonitor.h"
#include "support/FakeEventSource.h"
#include "support/LogRecorder.h"
#include "support/RecordingInputListener.h"

#include <QTest>

using namespace thrumwise;
using Lines = std::vector<std::string>;

namespace {

constexpr const char* kStarted = "[InputMonitor] Started monitoring keyboard and mouse input";
constexpr const char* kStopped = "[InputMonitor] Stopped monitoring";

// A started monitor on a fake source, with a listener writing its calls down.
struct Rig {
    test::FakeEventSource source;
    test::LogRecorder log;
    InputMonitor monitor{source, log.logger()};
    test::RecordingInputListener listener;
    Lines& calls = listener.calls;
    QStringList posted;

    Rig() {
        monitor.addListener(listener);
        monitor.setOnLastInput(
            [this](const std::string& text) { posted << QString::fromStdString(text); });
        monitor.start();
    }

    // What was posted for display, once the queued posts have run.
    QStringList posts() {
        QCoreApplication::sendPostedEvents();
        return posted;
    }
};

}  // namespace

class InputMonitorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void holdingAKeyReportsOnePressAndPostsEveryRepeat() {
        Rig rig;
        rig.source.keyDown(0);
        rig.source.keyDown(0);  // auto-repeat
        rig.source.keyDown(0);
        QVERIFY(rig.monitor.isKeyHeld(0));
        rig.source.keyUp(0);

        QCOMPARE(rig.calls, (Lines{"keyDown 0 A", "keyUp 0 A"}));
        QVERIFY(!rig.monitor.isKeyHeld(0));
        QVERIFY(rig.posted.isEmpty());                                 // never inside the handler
        QCOMPARE(rig.posts(), QStringList(3, QStringLiteral("⌨ A")));  // releases post nothing
    }

    void keyEventsCarryTheirOwnModifiersAndNames() {
        Rig rig;
        rig.source.keyUp(3);  // reported even when not held
        rig.source.keyDown(11,
                           ModifierFlags::shift | ModifierFlags::command | 0x100 /* side bit */);
        rig.source.keyUp(11, ModifierFlags::control | ModifierFlags::option);
        QVERIFY((rig.monitor.heldModifiers() ==
                 ModifierSet{ModifierKey::control, ModifierKey::option}));
        rig.source.keyDown(117);
        QCOMPARE(rig.calls, (Lines{"keyUp 3 F", "keyDown 11 B shift command",
                                   "keyUp 11 B control option", "keyDown 117 -"}));
        QCOMPARE(rig.posts(), (QStringList{QStringLiteral("⌨ B"), QStringLiteral("⌨ Key117")}));
    }

    void mouseEventsCarryTheModifiersOfTheLastKeyboardEvent() {
        Rig rig;
        rig.source.mouse(RawInputType::rightMouseUp);       // reported even when not held
        rig.source.modifiersChanged(ModifierFlags::shift);  // Shift alone calls nothing
        QVERIFY(rig.monitor.heldModifiers() == ModifierSet{ModifierKey::shift});
        rig.source.send({RawInputType::leftMouseDown, 0, ModifierFlags::command});
        QVERIFY(rig.monitor.isMouseButtonHeld(MouseButton::left));
        rig.source.mouse(RawInputType::leftMouseUp);
        QVERIFY(!rig.monitor.isMouseButtonHeld(MouseButton::left));
        rig.source.modifiersChanged(0);
        rig.source.mouse(RawInputType::rightMouseDown);
        // Other buttons and codes no keyboard sends are ignored.
        rig.source.mouse(RawInputType::otherMouseDown);
        rig.source.mouse(RawInputType::otherMouseUp);
        rig.source.keyDown(65536);
        rig.source.keyDown(-1);

        QCOMPARE(rig.calls, (Lines{"mouseUp right", "mouseDown left shift", "mouseUp left shift",
                                   "mouseDown right"}));
        QCOMPARE(rig.posts(),
                 (QStringList{QStringLiteral("🖱 Right ↑"), QStringLiteral("🖱 Left ↓"),
                              QStringLiteral("🖱 Left ↑"), QStringLiteral("🖱 Right ↓")}));
    }

    void startsOnceAndStopForgetsHeldKeysAndButtonsButNotModifiers() {
        Rig rig;
        rig.monitor.start();
        QCOMPARE(rig.source.startCount, 1);
        rig.source.keyDown(0, ModifierFlags::shift);
        rig.source.mouse(RawInputType::rightMouseDown);

        rig.monitor.stop();
        QVERIFY(!rig.monitor.isMonitoring() && !rig.source.isDelivering());
        QVERIFY(!rig.monitor.isKeyHeld(0));
        QVERIFY(!rig.monitor.isMouseButtonHeld(MouseButton::right));
        QVERIFY(rig.monitor.heldModifiers() == ModifierSet{ModifierKey::shift});
        rig.monitor.stop();  // logs also when stopped
        QCOMPARE(rig.source.stopCount, 1);

        // A key held across the stop is reported again on its next key-down.
        rig.monitor.start();
        rig.source.keyDown(0);
        QCOMPARE(rig.calls.back(), std::string("keyDown 0 A"));
        QCOMPARE(rig.log.lines(), (Lines{kStarted, kStopped, kStopped, kStarted}));
    }

    void aFailedStartIsLoggedAndRetriedLater() {
        Rig rig;
        rig.monitor.stop();
        rig.log.clear();
        rig.source.startSucceeds = false;
        rig.monitor.start();
        QVERIFY(!rig.monitor.isMonitoring());
        QCOMPARE(rig.log.lines(),
                 Lines{"[InputMonitor] Failed to create event tap — check Accessibility AND Input "
                       "Monitoring in System Settings."});
        rig.source.startSucceeds = true;
        rig.monitor.start();
        QVERIFY(rig.monitor.isMonitoring());
    }

    // Each listener hears an event in the order added; one that removes
    // listeners while called does not keep the rest from hearing it.
    void listenersHearEachEventInOrderUntilRemoved() {
        struct Remover final : InputListener {
            Rig& rig;
            const test::RecordingInputListener& next;
            explicit Remover(Rig& r, const test::RecordingInputListener& n) : rig(r), next(n) {}
            void keyDown(std::uint16_t, std::optional<std::string_view>, ModifierSet) override {
                rig.calls.push_back(next.calls.empty() ? "remover first" : "remover late");
                rig.monitor.removeListener(rig.listener);
                rig.monitor.removeListener(*this);
            }
        };
        Rig rig;
        test::RecordingInputListener last;
        Remover remover(rig, last);
        rig.monitor.addListener(remover);
        rig.monitor.addListener(last);
        rig.source.keyDown(0);
        rig.source.keyUp(0);
        QCOMPARE(rig.calls, (Lines{"keyDown 0 A", "remover first"}));
        QCOMPARE(last.calls, (Lines{"keyDown 0 A", "keyUp 0 A"}));
        rig.monitor.removeListener(last);
        rig.source.keyDown(0);
        QCOMPARE(last.calls.size(), std::size_t{2});
    }

    // The focus left the session with keys, Shift and both buttons held: the
    // releases the source makes up are handled as real ones, but the last-input
    // line keeps showing what the user last did.
    void releasesOnFocusLossForgetWhatWasHeldWithoutPosting() {
        Rig rig;
        rig.source.modifiersChanged(ModifierFlags::shift);
        rig.source.keyDown(0, ModifierFlags::shift);
        rig.source.keyDown(11, ModifierFlags::shift);
        rig.source.mouse(RawInputType::leftMouseDown);
        rig.source.mouse(RawInputType::rightMouseDown);
        const QStringList postedBefore = rig.posts();
        rig.calls.clear();

        rig.source.focusLossRelease(RawInputType::keyUp, 0, ModifierFlags::shift);
        rig.source.focusLossRelease(RawInputType::keyUp, 11, ModifierFlags::shift);
        rig.source.focusLossRelease(RawInputType::modifiersChanged, 56);
        rig.source.focusLossRelease(RawInputType::leftMouseUp);
        rig.source.focusLossRelease(RawInputType::rightMouseUp);
        QVERIFY(!rig.monitor.isKeyHeld(0) && !rig.monitor.isKeyHeld(11));
        QVERIFY(!rig.monitor.isMouseButtonHeld(MouseButton::left));
        QVERIFY(!rig.monitor.isMouseButtonHeld(MouseButton::right));
        QVERIFY(rig.monitor.heldModifiers().empty());
        QCOMPARE(rig.calls,
                 (Lines{"keyUp 0 A shift", "keyUp 11 B shift", "mouseUp left", "mouseUp right"}));
        QCOMPARE(rig.posts(), postedBefore);

        // Back in focus, the next press of a key is a press, not a repeat.
        rig.source.keyDown(0);
        rig.source.mouse(RawInputType::leftMouseUp);  // a real release still shows
        QCOMPARE(rig.calls.at(4), std::string("keyDown 0 A"));
        QCOMPARE(rig.posts().mid(postedBefore.size()),
                 (QStringList{QStringLiteral("⌨ A"), QStringLiteral("🖱 Left ↑")}));
    }

    void aLostSourceLeavesTheMonitorStoppedAndRestartable() {
        Rig rig;
        rig.source.keyDown(5);
        rig.source.lose();
        QVERIFY(!rig.monitor.isMonitoring());
        QVERIFY(!rig.monitor.isKeyHeld(5));
        rig.monitor.start();
        QVERIFY(rig.monitor.isMonitoring());
        QCOMPARE(rig.source.startCount, 2);
    }
};

QTEST_GUILESS_MAIN(InputMonitorTest)
#include "InputMonitorTest.moc"
