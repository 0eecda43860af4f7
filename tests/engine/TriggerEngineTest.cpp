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

constexpr std::int64_t kKeyA = 0;
constexpr std::int64_t kKeyB = 11;

KeyMapping holding(KeyMapping mapping, std::int64_t intervalMs, std::int64_t cooldownMs = 0) {
    mapping.triggerOnHold = true;
    mapping.holdRepeatIntervalMs = intervalMs;
    mapping.cooldownMs = cooldownMs;
    return mapping;
}

// Time moves only when the test says so.
class ManualClock final : public Clock {
public:
    TimePoint now() const override { return now_; }
    void advance(std::chrono::milliseconds by) { now_ += by; }

private:
    TimePoint now_{1h};
};

// Records every requested effect and answers at once with `accepts`.
class FakeHapticTrigger final : public HapticTrigger {
public:
    void trigger(std::string pattern, Completion done) override {
        patterns.push_back(std::move(pattern));
        done(accepts);
    }

    bool accepts = true;
    Lines patterns;
};

// An engine fed by a monitor on a fake source; the engine ends first.
struct Rig {
    test::FakeEventSource source;
    test::LogRecorder log;
    InputMonitor monitor{source, log.logger()};
    bool isEnabled = true;
    bool isPluginConnected = false;
    FakeHapticTrigger haptics;
    ManualClock clock;
    test::ManualTimerFactory timers;
    TriggerEngine engine{monitor, haptics, readings(), clock, timers, log.logger()};

    TriggerEngine::Readings readings() {
        return {[this] { return isEnabled; },
                [this] {
                    return isPluginConnected;
                }};
    }

    Rig() {
        monitor.start();
        log.clear();
    }

    void activate(std::vector<KeyMapping> mappings) {
        engine.setActiveProfile(
            test::profile("P", "Arena", "com.example.arena", std::move(mappings)));
        log.clear();
    }
    void press(std::int64_t key, std::uint64_t flags = 0) const {
        source.keyDown(key, flags);
        source.keyUp(key, flags);
    }
    const Lines& fired() const { return haptics.patterns; }
};

}  // namespace

class TriggerEngineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cooldownSkipsPressesUntilItHasFullyElapsed() {
        Rig rig;
        KeyMapping mapping = keyMapping("M", kKeyA, "wave");
        mapping.cooldownMs = 160;
        rig.activate({mapping});
        for (const auto gap : {0ms, 100ms, 60ms, 100ms, 60ms}) {  // at 0, 100, 160, 260, 320
            rig.clock.advance(gap);
            rig.press(kKeyA);
        }
        // 0 fires; 100 is skipped without refreshing the time, so 160 (exactly the
        // cooldown) fires; 260 is skipped; 320 fires.
        QCOMPARE(rig.log.lines(), Lines(3, "[TriggerEngine] firing wave"));
    }

    // A skipped press starts no repeat; a press that fires restarts it.
    void onlyAFiringPressStartsAHoldRepeat() {
        Rig rig;
        rig.activate({holding(mouseMapping("M", MouseButton::left, "knock"), 100, 500)});
        rig.engine.handleMouseEvent(MouseButton::left, true, {});
        rig.clock.advance(100ms);
        rig.engine.handleMouseEvent(MouseButton::left, true, {});  // within the cooldown
        QCOMPARE(rig.timers.startedCount(), std::size_t{1});
        QVERIFY(rig.timers.last().isRunning);
        rig.clock.advance(400ms);
        rig.engine.handleMouseEvent(MouseButton::left, true, {});
        QCOMPARE(rig.timers.startedCount(), std::size_t{2});
        QCOMPARE(rig.timers.runningCount(), std::size_t{1});
        QCOMPARE(rig.fired().size(), std::size_t{2});
    }

    // Required modifiers are a subset of the held ones; every match fires, in profile order.
    void everyMappingWhoseModifiersAreHeldFiresInProfileOrder() {
        Rig rig;
        rig.activate(
            {keyMapping("SHIFT", kKeyB, "shifted", {ModifierKey::shift, ModifierKey::shift}),
             keyMapping("BOTH", kKeyB, "both", {ModifierKey::command, ModifierKey::shift}),
             keyMapping("ANY", kKeyB, "plain"), keyMapping("OTHER", kKeyA, "other")});
        rig.press(kKeyB);
        rig.press(kKeyB, ModifierFlags::shift);
        rig.press(kKeyB, ModifierFlags::shift | ModifierFlags::command | ModifierFlags::control);
        QCOMPARE(rig.fired(), (Lines{"plain", "shifted", "plain", "shifted", "both", "plain"}));
        QCOMPARE(rig.log.lines().front(), std::string("[TriggerEngine] firing plain"));
    }

    void mappingsWithoutTheirTriggerFieldNeverMatch() {
        Rig rig;
        KeyMapping keyless = keyMapping("KEYLESS", kKeyA, "keyless");
        keyless.keyCode.reset();
        KeyMapping mouseWithKey = keyMapping("MOUSE", kKeyA, "mouse-with-key");
        mouseWithKey.triggerType = TriggerType::mouse;
        rig.activate({keyless, mouseWithKey, keyMapping("OK", kKeyA, "not_in_catalogue")});
        rig.press(kKeyA);
        QCOMPARE(rig.fired(), Lines{"not_in_catalogue"});
    }

    void holdRepeatsWhileHeldAndStopsOnRelease() {
        Rig rig;
        rig.activate({holding(keyMapping("M", kKeyA, "wave", {ModifierKey::shift}), 120),
                      keyMapping("ONCE", kKeyB, "once")});
        rig.source.keyDown(kKeyA, ModifierFlags::shift);
        QCOMPARE(rig.timers.last().interval, 120ms);
        rig.timers.tickAll();
        rig.timers.tickAll();
        // Shift goes first; the key's release still stops the repeat.
        rig.source.modifiersChanged(0);
        rig.source.keyUp(kKeyA);
        QCOMPARE(rig.timers.runningCount(), std::size_t{0});
        QCOMPARE(rig.log.lines(), Lines(3, "[TriggerEngine] firing wave"));

        rig.source.keyDown(kKeyB);  // without repeat: no timer
        QCOMPARE(rig.timers.startedCount(), std::size_t{1});
    }

    void holdIntervalsHaveAFiftyMillisecondFloor() {
        Rig rig;
        for (const auto& [requested, expected] : std::vector<std::pair<std::int64_t, std::int64_t>>{
                 {0, 50}, {-5, 50}, {20, 50}, {50, 50}, {51, 51}}) {
            rig.activate({holding(mouseMapping("M", MouseButton::right, "wave"), requested)});
            rig.source.mouse(RawInputType::rightMouseDown);
            QCOMPARE(rig.timers.last().interval.count(), expected);
        }
    }

    void aRepeatOutlivesTheMasterSwitchUntilItsTriggerIsReleased() {
        Rig rig;
        rig.activate({holding(mouseMapping("M", MouseButton::left, "wave"), 80)});
        rig.source.mouse(RawInputType::leftMouseDown);
        rig.isEnabled = false;
        rig.timers.tickAll();  // still held: repeats with the switch off
        QCOMPARE(rig.fired().size(), std::size_t{2});
        rig.source.mouse(RawInputType::leftMouseUp);  // not processed: the switch is off
        QVERIFY(rig.timers.last().isRunning);
        rig.timers.tickAll();  // the first tick after the release stops it
        QVERIFY(!rig.timers.last().isRunning);
        QCOMPARE(rig.fired().size(), std::size_t{2});
    }

    // Only mouse presses say why nothing fired.
    void mousePressesExplainWhyNothingFired() {
        Rig rig;
        rig.source.mouse(RawInputType::rightMouseDown);
        rig.source.keyDown(kKeyA);
        const Lines noProfile = rig.log.lines();
        rig.activate(
            {keyMapping("K", kKeyA, "wave"), mouseMapping("R", MouseButton::right, "wave")});
        rig.source.mouse(RawInputType::leftMouseDown);
        rig.source.mouse(RawInputType::rightMouseDown);  // it fired: nothing to explain
        rig.source.mouse(RawInputType::rightMouseUp);
        rig.isEnabled = false;
        rig.press(kKeyB);
        rig.press(kKeyA);
        rig.source.mouse(RawInputType::rightMouseDown);
        rig.source.mouse(RawInputType::rightMouseUp);
        QCOMPARE(noProfile, Lines{"[TriggerEngine] blocked: no active profile"});
        QCOMPARE(rig.log.lines(), (Lines{"[TriggerEngine] no mapping for left in profile 'Arena'",
                                         "[TriggerEngine] firing wave",
                                         "[TriggerEngine] blocked: isEnabled=false"}));
        QCOMPARE(rig.fired(), Lines{"wave"});
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
        rig.source.keyDown(kKeyA);  // the cooldown did not carry over
        QCOMPARE(rig.fired().size(), std::size_t{2});
    }

    void aRefusedTriggerIsLoggedWithThePluginState() {
        Rig rig;
        rig.activate({keyMapping("M", kKeyA, "wave")});
        rig.haptics.accepts = false;
        rig.press(kKeyA);
        rig.isPluginConnected = true;
        rig.press(kKeyA);
        QCOMPARE(rig.log.lines(),
                 (Lines{"[TriggerEngine] firing wave",
                        "[TriggerEngine] HTTP failed for wave — plugin connected=false",
                        "[TriggerEngine] firing wave",
                        "[TriggerEngine] HTTP failed for wave — plugin connected=true"}));
    }

    // A destroyed engine no longer listens; the others go on.
    void aDestroyedEngineStopsListening() {
        Rig rig;
        FakeHapticTrigger otherHaptics;
        {
            TriggerEngine other(rig.monitor, otherHaptics, rig.readings(), rig.clock, rig.timers,
                                rig.log.logger());
            other.setActiveProfile(
                test::profile("P", "Arena", "arena", {keyMapping("M", kKeyA, "wave")}));
            rig.press(kKeyA);
        }
        rig.activate({keyMapping("M", kKeyA, "knock")});
        rig.press(kKeyA);
        QCOMPARE(otherHaptics.patterns, Lines{"wave"});
        QCOMPARE(rig.fired(), Lines{"knock"});
    }
};

QTEST_GUILESS_MAIN(TriggerEngineTest)
#include "TriggerEngineTest.moc"
