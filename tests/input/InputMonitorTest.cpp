#include "input/InputMonitor.h"
#include "support/AppStateFixture.h"
#include "support/FakeEventSource.h"
#include "support/MonitorRig.h"

#include <QTest>

using namespace thrumwise;
using Lines = std::vector<std::string>;

namespace {

constexpr const char* kStarted = "[InputMonitor] Started monitoring keyboard and mouse input";
constexpr const char* kStopped = "[InputMonitor] Stopped monitoring";

std::string describe(ModifierSet modifiers) {
    std::string text;
    for (const ModifierKey key : allCases<ModifierKey>()) {
        if (modifiers.contains(key)) {
            text += " " + std::string(rawValue(key));
        }
    }
    return text;
}

// A started monitor on a fake source; its calls written down as
// "keyDown <code> <name> <modifiers>" and "mouseUp <button> <modifiers>".
struct Rig : test::MonitorRig {
    Lines calls;
    QStringList posted;

    Rig() {
        const auto onKey = [this](const char* what) {
            return [this, what](std::uint16_t code, auto name, ModifierSet modifiers) {
                calls.push_back(std::string(what) + " " + std::to_string(code) + " " +
                                std::string(name.value_or("-")) + describe(modifiers));
            };
        };
        const auto onMouse = [this](const char* what) {
            return [this, what](MouseButton button, ModifierSet modifiers) {
                calls.push_back(std::string(what) + " " + std::string(rawValue(button)) +
                                describe(modifiers));
            };
        };
        monitor.setOnKeyDown(onKey("keyDown"));
        monitor.setOnKeyUp(onKey("keyUp"));
        monitor.setOnMouseDown(onMouse("mouseDown"));
        monitor.setOnMouseUp(onMouse("mouseUp"));
        QObject::connect(&state, &AppState::lastInputEventChanged,
                         [this] { posted << QString::fromStdString(*state.lastInputEvent()); });
        monitor.start();
    }

    // What was posted for display, once the queued posts have run.
    QStringList posts() const {
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
        rig.source.keyDown(11, QuartzFlags::shift | QuartzFlags::command | 0x100 /* side bit */);
        rig.source.keyUp(11, QuartzFlags::control | QuartzFlags::alternate);
        QVERIFY((rig.monitor.heldModifiers() ==
                 ModifierSet{ModifierKey::control, ModifierKey::option}));
        rig.source.keyDown(117);
        QCOMPARE(rig.calls, (Lines{"keyUp 3 F", "keyDown 11 B shift command",
                                   "keyUp 11 B control option", "keyDown 117 -"}));
        QCOMPARE(rig.posts(), (QStringList{QStringLiteral("⌨ B"), QStringLiteral("⌨ Key117")}));
    }

    void mouseEventsCarryTheModifiersOfTheLastKeyboardEvent() {
        Rig rig;
        rig.source.mouse(QuartzEventType::rightMouseUp);  // reported even when not held
        rig.source.flagsChanged(QuartzFlags::shift);      // Shift alone calls nothing
        QVERIFY(rig.monitor.heldModifiers() == ModifierSet{ModifierKey::shift});
        rig.source.send({QuartzEventType::leftMouseDown, 0, QuartzFlags::command});
        QVERIFY(rig.monitor.isMouseButtonHeld(MouseButton::left));
        rig.source.mouse(QuartzEventType::leftMouseUp);
        QVERIFY(!rig.monitor.isMouseButtonHeld(MouseButton::left));
        rig.source.flagsChanged(0);
        rig.source.mouse(QuartzEventType::rightMouseDown);
        // Other buttons and codes no keyboard sends are ignored.
        rig.source.mouse(QuartzEventType::otherMouseDown);
        rig.source.mouse(QuartzEventType::otherMouseUp);
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
        rig.source.keyDown(0, QuartzFlags::shift);
        rig.source.mouse(QuartzEventType::rightMouseDown);

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
