#include "engine/TriggerEngine.h"
#include "haptics/HapticTrigger.h"
#include "input/InputMonitor.h"
#include "support/FakeEventSource.h"
#include "support/LogRecorder.h"
#include "support/ManualTimerFactory.h"
#include "support/SampleProfiles.h"

#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;
using test::keyMapping;
using test::mouseMapping;
using Lines = std::vector<std::string>;

namespace {

constexpr std::uint16_t kKeyA = 0;
constexpr std::uint16_t kKeyB = 11;

KeyMapping holding(KeyMapping mapping, std::int64_t intervalMs, std::int64_t cooldownMs = 0) {
    mapping.triggerOnHold = true;
    mapping.holdRepeatIntervalMs = intervalMs;
    mapping.cooldownMs = cooldownMs;
    return mapping;
}

// An engine fed by a monitor on a fake source. The rig is its plug-in, which
// notes each effect and answers `accepts`, and its clock, which moves when told.
struct Rig : HapticTrigger, Clock {
    test::FakeEventSource source;
    test::LogRecorder log;
    InputMonitor monitor{source, log.logger()};
    bool isEnabled = true;
    bool isPluginConnected = false;
    bool accepts = true;
    Lines fired;
    TimePoint time{1h};
    test::ManualTimerFactory timers;
    TriggerEngine engine{monitor, *this, readings(), *this, timers, log.logger()};

    Rig() {
        monitor.start();
        log.clear();
    }
    void trigger(std::string pattern, Completion done) override {
        fired.push_back(std::move(pattern));
        done(accepts);
    }
    TimePoint now() const override { return time; }
    TriggerEngine::Readings readings() {
        return {[this] { return isEnabled; },
                [this] {
                    return isPluginConnected;
                }};
    }
    void activate(std::vector<KeyMapping> mappings) {
        engine.setActiveProfile(test::profile("P", "Arena", "arena", std::move(mappings)));
        log.clear();
    }
    void press(std::uint16_t key, std::uint64_t flags = 0) const {
        source.keyDown(key, flags);
        source.keyUp(key, flags);
    }
};

}  // namespace

class TriggerEngineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A skipped press neither refreshes the time nor starts a repeat.
    void cooldownSkipsPressesUntilItHasFullyElapsed() {
        Rig rig;
        rig.activate({holding(keyMapping("M", kKeyA, "wave"), 100, 160)});
        for (const auto gap : {0ms, 100ms, 60ms, 100ms, 60ms}) {  // at 0, 100, 160, 260, 320
            rig.time += gap;
            rig.press(kKeyA);
        }
        // 0 fires; 100 is skipped, so 160 (exactly the cooldown) fires; 260 is skipped.
        QCOMPARE(rig.log.lines(), Lines(3, "[TriggerEngine] firing wave"));
        QCOMPARE(rig.timers.startedCount(), std::size_t{3});
    }

    // Required modifiers are a subset of the held ones; every match fires, in
    // profile order; a mapping without its trigger field never matches.
    void everyMappingWhoseModifiersAreHeldFiresInProfileOrder() {
        Rig rig;
        KeyMapping keyless = keyMapping("KEYLESS", kKeyB, "keyless");
        keyless.keyCode.reset();
        KeyMapping mouseWithKey = keyMapping("MOUSE", kKeyB, "mouse-with-key");
        mouseWithKey.triggerType = TriggerType::mouse;
        rig.activate(
            {keyMapping("SHIFT", kKeyB, "shifted", {ModifierKey::shift, ModifierKey::shift}),
             keyMapping("BOTH", kKeyB, "both", {ModifierKey::command, ModifierKey::shift}), keyless,
             mouseWithKey, keyMapping("ANY", kKeyB, "plain"), keyMapping("OTHER", kKeyA, "other")});
        rig.press(kKeyB);
        rig.press(kKeyB, ModifierFlags::shift);
        rig.press(kKeyB, ModifierFlags::shift | ModifierFlags::command | ModifierFlags::control);
        QCOMPARE(rig.fired, (Lines{"plain", "shifted", "plain", "shifted", "both", "plain"}));
    }

    // A repeat lasts while the trigger is held, whatever the switch and the
    // modifiers, and ends at its release or at the first tick after it.
    void holdRepeatsWhileTheTriggerIsHeld() {
        Rig rig;
        rig.activate({holding(keyMapping("M", kKeyA, "wave", {ModifierKey::shift}), 120),
                      keyMapping("ONCE", kKeyB, "once"),
                      holding(mouseMapping("L", MouseButton::left, "knock"), 20)});
        rig.source.keyDown(kKeyA, ModifierFlags::shift);
        QCOMPARE(rig.timers.last().interval, 120ms);
        rig.timers.tickAll();
        rig.source.send({RawInputType::modifiersChanged, 0, 0});  // Shift goes first
        rig.source.keyUp(kKeyA);
        QCOMPARE(rig.timers.runningCount(), std::size_t{0});
        rig.source.keyDown(kKeyB);
        rig.source.mouse(RawInputType::leftMouseDown);
        QCOMPARE(rig.timers.last().interval, 50ms);  // the shortest period
        rig.isEnabled = false;
        rig.timers.tickAll();
        rig.source.mouse(RawInputType::leftMouseUp);  // not heard: the switch is off
        QVERIFY(rig.timers.last().isRunning);
        rig.timers.tickAll();
        QCOMPARE(rig.timers.runningCount(), std::size_t{0});
        QCOMPARE(rig.timers.startedCount(), std::size_t{2});
        QCOMPARE(rig.fired, (Lines{"wave", "wave", "once", "knock", "knock"}));
    }

    // The session lost the focus with a key and a button held: the releases the
    // source makes up stop both repeats at once, the real releases that may
    // still come change nothing, and the next press fires again.
    void releasesOnFocusLossStopRepeatsAsRealOnesDo() {
        Rig rig;
        rig.activate({holding(keyMapping("K", kKeyA, "wave"), 100),
                      holding(mouseMapping("M", MouseButton::left, "knock"), 100)});
        rig.source.keyDown(kKeyA);
        rig.source.mouse(RawInputType::leftMouseDown);
        rig.timers.tickAll();
        rig.source.focusLossRelease(RawInputType::keyUp, kKeyA);
        rig.source.focusLossRelease(RawInputType::leftMouseUp);
        QCOMPARE(rig.timers.runningCount(), std::size_t{0});

        rig.source.keyUp(kKeyA);
        rig.source.mouse(RawInputType::leftMouseUp);
        QCOMPARE(rig.fired, (Lines{"wave", "knock", "wave", "knock"}));
        QCOMPARE(rig.log.lines().size(), std::size_t{4});

        rig.source.keyDown(kKeyA);
        QCOMPARE(rig.fired.size(), std::size_t{5});
        QCOMPARE(rig.timers.runningCount(), std::size_t{1});
    }

    // Only mouse presses say why nothing fired.
    void mousePressesExplainWhyNothingFired() {
        Rig rig;
        rig.source.mouse(RawInputType::rightMouseDown);
        rig.press(kKeyA);
        const Lines noProfile = rig.log.lines();
        rig.activate(
            {keyMapping("K", kKeyA, "wave"), mouseMapping("R", MouseButton::right, "knock")});
        rig.source.mouse(RawInputType::leftMouseDown);
        rig.source.mouse(RawInputType::rightMouseDown);
        rig.isEnabled = false;
        rig.press(kKeyA);
        rig.source.mouse(RawInputType::rightMouseDown);
        QCOMPARE(noProfile, Lines{"[TriggerEngine] blocked: no active profile"});
        QCOMPARE(rig.log.lines(), (Lines{"[TriggerEngine] no mapping for left in profile 'Arena'",
                                         "[TriggerEngine] firing knock",
                                         "[TriggerEngine] blocked: isEnabled=false"}));
    }

    void aProfileSwitchStopsRepeatsAndForgetsCooldowns() {
        Rig rig;
        const auto mapping = holding(keyMapping("M", kKeyA, "wave"), 100, 10'000);
        rig.activate({mapping});
        rig.source.keyDown(kKeyA);
        rig.engine.setActiveProfile(std::nullopt);
        QCOMPARE(rig.timers.runningCount(), std::size_t{0});
        rig.source.keyUp(kKeyA);
        rig.activate({mapping});
        rig.press(kKeyA);
        QCOMPARE(rig.fired.size(), std::size_t{2});
    }

    void aRefusedTriggerIsLoggedWithThePluginState() {
        Rig rig;
        rig.activate({keyMapping("M", kKeyA, "wave")});
        rig.accepts = false;
        rig.press(kKeyA);
        rig.isPluginConnected = true;
        rig.press(kKeyA);
        QCOMPARE(rig.log.lines(),
                 (Lines{"[TriggerEngine] firing wave",
                        "[TriggerEngine] HTTP failed for wave — plugin connected=false",
                        "[TriggerEngine] firing wave",
                        "[TriggerEngine] HTTP failed for wave — plugin connected=true"}));
    }

    void aDestroyedEngineStopsListening() {
        Rig rig;
        Rig other;
        std::optional<TriggerEngine> engine(std::in_place, rig.monitor, other, other.readings(),
                                            other, other.timers, other.log.logger());
        engine->setActiveProfile(test::profile("P", "A", "a", {keyMapping("M", kKeyA, "x")}));
        rig.press(kKeyA);
        engine.reset();
        rig.press(kKeyA);
        QCOMPARE(other.fired, Lines{"x"});
    }
};

QTEST_GUILESS_MAIN(TriggerEngineTest)
#include "TriggerEngineTest.moc"
