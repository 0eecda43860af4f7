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
using namespace thrumwise::test;
using Lines = std::vector<std::string>;

enum : std::uint16_t { kKeyA = 0, kKeyB = 11 };

KeyMapping holding(KeyMapping mapping, std::int64_t intervalMs, std::int64_t cooldownMs = 0) {
    mapping.triggerOnHold = true;
    mapping.holdRepeatIntervalMs = intervalMs;
    mapping.cooldownMs = cooldownMs;
    return mapping;
}

// An engine fed by a monitor on a fake source; the rig is its plug-in and its clock.
struct Rig : HapticTrigger, Clock {
    test::FakeEventSource source;
    test::LogRecorder log;
    InputMonitor monitor{source, log.logger()};
    bool isEnabled = true, connected = false, accepts = true;
    Lines fired;
    TimePoint time{1h};
    test::ManualTimerFactory timers;
    TriggerEngine::Readings readings =
        TriggerEngine::Readings([this] { return isEnabled; }, [this] { return connected; });
    std::optional<TriggerEngine> engine{std::in_place, monitor, *this,       readings,
                                        *this,         timers,  log.logger()};

    explicit Rig(std::vector<KeyMapping> mappings = {}) {
        monitor.start();
        if (!mappings.empty()) {
            activate(std::move(mappings));
        }
        log.clear();
    }
    void trigger(std::string pattern, Completion done) override {
        fired.push_back(std::move(pattern));
        done(accepts);
    }
    TimePoint now() const override { return time; }
    void activate(std::vector<KeyMapping> mappings) {
        engine->setActiveProfile(test::profile("P", "Arena", "arena", std::move(mappings)));
        log.clear();
    }
    void press(std::uint16_t key, std::uint64_t flags = 0) const {
        source.keyDown(key, flags);
        source.keyUp(key, flags);
    }
};

class TriggerEngineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Required modifiers are a subset of the held ones; every match fires, in profile order. A
    // repeat lasts while held, whatever the switch and modifiers, to the first tick after.
    void everyMatchFiresInProfileOrderAndRepeatsWhileHeldOrInFocus() {
        KeyMapping keyless = keyMapping("KEYLESS", kKeyB, "keyless");
        keyless.keyCode.reset();
        KeyMapping mouseWithKey = keyMapping("MOUSE", kKeyB, "mouse-with-key");
        mouseWithKey.triggerType = TriggerType::mouse;
        Rig rig({keyMapping("SHIFT", kKeyB, "shifted", {ModifierKey::shift, ModifierKey::shift}),
                 keyMapping("BOTH", kKeyB, "both", {ModifierKey::command, ModifierKey::shift}),
                 keyless, mouseWithKey, keyMapping("ANY", kKeyB, "plain"),
                 keyMapping("OTHER", kKeyA, "other")});
        rig.press(kKeyB);
        rig.press(kKeyB, ModifierFlags::shift);
        rig.press(kKeyB, ModifierFlags::command);
        rig.press(kKeyB, ModifierFlags::shift | ModifierFlags::command | ModifierFlags::control);
        QCOMPARE(rig.fired,
                 (Lines{"plain", "shifted", "plain", "plain", "shifted", "both", "plain"}));
        rig.fired.clear();
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
        QVERIFY(rig.timers.runningCount() == 0 && rig.timers.startedCount() == 2);
        QCOMPARE(rig.fired, (Lines{"wave", "wave", "once", "knock", "knock"}));
        // Made-up releases on a focus loss stop repeats; the real ones after change nothing. A
        // destroyed engine stops listening.
        rig.fired.clear();
        rig.isEnabled = true;
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
        QVERIFY(rig.fired.size() == 5 && rig.timers.runningCount() == 1);
        rig.engine.reset();
        rig.source.keyUp(kKeyA);
        rig.press(kKeyA);
        QCOMPARE(rig.fired.size(), std::size_t{5});
        // One built in its place is told each event once, so the old one was let go.
        rig.engine.emplace(rig.monitor, rig, rig.readings, rig, rig.timers, rig.log.logger());
        rig.activate({keyMapping("K", kKeyA, "wave")});
        rig.press(kKeyA);
        QCOMPARE(rig.fired.size(), std::size_t{6});
    }

    // Mouse presses say why nothing fired. A skipped press neither refreshes the time nor starts
    // a repeat. A switch stops repeats and forgets cooldowns; a refusal tells the plug-in's state.
    void cooldownsAndWhatItSays() {
        Rig rig;
        rig.source.mouse(RawInputType::rightMouseDown);
        rig.press(kKeyA);
        QCOMPARE(rig.log.lines(), Lines{"[TriggerEngine] blocked: no active profile"});
        const auto mapping = holding(keyMapping("M", kKeyA, "wave"), 100, 160);
        rig.activate({mapping, mouseMapping("R", MouseButton::right, "knock")});
        rig.source.mouse(RawInputType::leftMouseDown);
        rig.source.mouse(RawInputType::rightMouseDown);
        // At 0, 100, 160, 260, 320: 100 and 260 are skipped, 160 (exactly the cooldown) fires.
        for (const auto gap : {0ms, 100ms, 60ms, 100ms, 60ms}) {
            rig.time += gap;
            rig.press(kKeyA);
        }
        rig.time += 160ms;
        rig.source.keyDown(kKeyA);
        QCOMPARE(rig.timers.startedCount(), std::size_t{4});
        rig.engine->setActiveProfile(std::nullopt);
        QCOMPARE(rig.timers.runningCount(), std::size_t{0});
        rig.source.keyUp(kKeyA);
        rig.engine->setActiveProfile(test::profile("P", "Arena", "arena", {mapping}));
        rig.accepts = false;
        rig.press(kKeyA);
        rig.connected = true;
        rig.time += 160ms;
        rig.press(kKeyA);
        rig.isEnabled = false;
        rig.press(kKeyA);
        rig.source.mouse(RawInputType::rightMouseDown);
        const std::string fired = "[TriggerEngine] firing wave";
        const std::string failed = "[TriggerEngine] HTTP failed for wave — plugin connected=";
        QCOMPARE(rig.log.lines(), (Lines{"[TriggerEngine] no mapping for left in profile 'Arena'",
                                         "[TriggerEngine] firing knock", fired, fired, fired, fired,
                                         fired, failed + "false", fired, failed + "true",
                                         "[TriggerEngine] blocked: isEnabled=false"}));
    }
};

QTEST_GUILESS_MAIN(TriggerEngineTest)
#include "TriggerEngineTest.moc"
