#include "app/AppState.h"
#include "engine/TriggerEngine.h"
#include "input/InputMonitor.h"
#include "support/AppStateFixture.h"
#include "support/FakeEventSource.h"
#include "support/FakeHapticTrigger.h"
#include "support/LogRecorder.h"
#include "support/ManualClock.h"
#include "support/ManualTimerFactory.h"
#include "support/SampleProfiles.h"

#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;
using test::keyMapping;
using test::mouseMapping;

namespace {

constexpr std::int64_t kKeyA = 0;
constexpr std::int64_t kKeyB = 11;

KeyMapping holding(KeyMapping mapping, std::int64_t intervalMs) {
    mapping.triggerOnHold = true;
    mapping.holdRepeatIntervalMs = intervalMs;
    return mapping;
}

KeyMapping cooling(KeyMapping mapping, std::int64_t cooldownMs) {
    mapping.cooldownMs = cooldownMs;
    return mapping;
}

}  // namespace

class TriggerEngineTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::FakeEventSource> source_;
    std::unique_ptr<test::AppStateFixture> app_;
    AppState* state_ = nullptr;
    std::unique_ptr<test::LogRecorder> log_;
    std::unique_ptr<InputMonitor> monitor_;
    std::unique_ptr<test::FakeHapticTrigger> haptics_;
    std::unique_ptr<test::ManualClock> clock_;
    std::unique_ptr<test::ManualTimerFactory> timers_;
    std::unique_ptr<TriggerEngine> engine_;

    void activate(std::vector<KeyMapping> mappings, std::string name = "Arena") {
        engine_->setActiveProfile(
            test::profile("P", std::move(name), "com.example.arena", std::move(mappings)));
    }
    const std::vector<std::string>& fired() const { return haptics_->patterns; }
    std::size_t firingLines() const {
        const auto lines = log_->lines();
        return static_cast<std::size_t>(std::count_if(
            lines.begin(), lines.end(),
            [](const std::string& line) { return line.starts_with("[TriggerEngine] firing "); }));
    }

private Q_SLOTS:
    void init() {
        source_ = std::make_unique<test::FakeEventSource>();
        app_ = std::make_unique<test::AppStateFixture>();
        state_ = &app_->state();
        log_ = std::make_unique<test::LogRecorder>();
        monitor_ = std::make_unique<InputMonitor>(*source_, *state_, log_->logger());
        haptics_ = std::make_unique<test::FakeHapticTrigger>();
        clock_ = std::make_unique<test::ManualClock>();
        timers_ = std::make_unique<test::ManualTimerFactory>();
        engine_ = std::make_unique<TriggerEngine>(*monitor_, *haptics_, *state_, *clock_, *timers_,
                                                  log_->logger());
        monitor_->start();
        log_->clear();
    }

    void cleanup() {
        engine_.reset();
        monitor_.reset();
    }

    void cooldownSkipsPressesUntilItHasFullyElapsed() {
        activate({cooling(keyMapping("M", kKeyA, "wave"), 160)});
        for (const auto gap : {0ms, 100ms, 60ms, 100ms, 60ms}) {  // at 0, 100, 160, 260, 320
            clock_->advance(gap);
            source_->keyDown(kKeyA);
            source_->keyUp(kKeyA);
        }
        // 0 fires; 100 is skipped without refreshing the time, so 160 (exactly the
        // cooldown) fires; 260 is skipped; 320 fires.
        QCOMPARE(fired().size(), std::size_t{3});
        QCOMPARE(log_->count("[TriggerEngine] firing wave"), std::size_t{3});
    }

    void aSkippedPressStartsNoHoldRepeat() {
        activate({cooling(holding(keyMapping("M", kKeyA, "knock"), 100), 500)});
        engine_->handleKeyEvent(kKeyA, true, {});
        QCOMPARE(timers_->startedCount(), std::size_t{1});
        clock_->advance(100ms);
        engine_->handleKeyEvent(kKeyA, true, {});  // within the cooldown
        QCOMPARE(timers_->startedCount(), std::size_t{1});
        QVERIFY(timers_->last().isRunning);
        QCOMPARE(fired().size(), std::size_t{1});
    }

    void requiredModifiersAreASubsetOfTheHeldOnes() {
        activate({keyMapping("SHIFT", kKeyB, "shifted", {ModifierKey::shift, ModifierKey::shift}),
                  keyMapping("ANY", kKeyA, "plain")});
        source_->keyDown(kKeyB);
        source_->keyUp(kKeyB);
        QVERIFY(fired().empty());
        source_->keyDown(kKeyB, QuartzFlags::shift);
        source_->keyUp(kKeyB);
        source_->keyDown(kKeyB, QuartzFlags::shift | QuartzFlags::command);
        source_->keyUp(kKeyB);
        source_->keyDown(kKeyA, QuartzFlags::control | QuartzFlags::alternate);
        QCOMPARE(fired(), (std::vector<std::string>{"shifted", "shifted", "plain"}));
    }

    void everyMatchingMappingFiresInProfileOrder() {
        activate({keyMapping("WITH", kKeyA, "first", {ModifierKey::command, ModifierKey::shift}),
                  keyMapping("WITHOUT", kKeyA, "second"), keyMapping("OTHER", kKeyB, "other")});
        source_->keyDown(kKeyA, QuartzFlags::shift | QuartzFlags::command);
        QCOMPARE(fired(), (std::vector<std::string>{"first", "second"}));
        QCOMPARE(log_->lines(), (std::vector<std::string>{"[TriggerEngine] firing first",
                                                          "[TriggerEngine] firing second"}));
    }

    void mappingsWithoutTheirTriggerFieldNeverMatch() {
        KeyMapping keyless = keyMapping("KEYLESS", kKeyA, "keyless");
        keyless.keyCode.reset();
        KeyMapping mouseWithKey = keyMapping("MOUSE", kKeyA, "mouse-with-key");
        mouseWithKey.triggerType = TriggerType::mouse;
        activate({keyless, mouseWithKey, keyMapping("OK", kKeyA, "not_in_catalogue")});
        source_->keyDown(kKeyA);
        QCOMPARE(fired(), std::vector<std::string>{"not_in_catalogue"});
    }

    void holdRepeatsWhileHeldAndStopsOnRelease() {
        activate({holding(keyMapping("M", kKeyA, "wave", {ModifierKey::shift}), 120)});
        source_->keyDown(kKeyA, QuartzFlags::shift);
        QCOMPARE(timers_->last().interval, 120ms);
        timers_->tickAll();
        timers_->tickAll();
        QCOMPARE(fired().size(), std::size_t{3});
        // Shift goes first; the key's release still stops the repeat.
        source_->flagsChanged(0);
        source_->keyUp(kKeyA);
        QCOMPARE(timers_->runningCount(), std::size_t{0});
        QCOMPARE(firingLines(), std::size_t{3});
    }

    void holdIntervalsHaveAFiftyMillisecondFloor_data() {
        QTest::addColumn<qint64>("requested");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("0") << qint64{0} << qint64{50};
        QTest::newRow("negative") << qint64{-5} << qint64{50};
        QTest::newRow("20") << qint64{20} << qint64{50};
        QTest::newRow("50") << qint64{50} << qint64{50};
        QTest::newRow("51") << qint64{51} << qint64{51};
    }

    void holdIntervalsHaveAFiftyMillisecondFloor() {
        QFETCH(qint64, requested);
        QFETCH(qint64, expected);
        activate({holding(mouseMapping("M", MouseButton::right, "wave"), requested)});
        source_->mouse(QuartzEventType::rightMouseDown);
        QCOMPARE(timers_->last().interval.count(), expected);
    }

    void aRepeatOutlivesTheMasterSwitchUntilItsTriggerIsReleased() {
        activate({holding(mouseMapping("M", MouseButton::left, "wave"), 80)});
        source_->mouse(QuartzEventType::leftMouseDown);
        state_->setEnabled(false);
        timers_->tickAll();  // still held: repeats with the switch off
        QCOMPARE(fired().size(), std::size_t{2});
        source_->mouse(QuartzEventType::leftMouseUp);  // release not processed: switch is off
        QVERIFY(timers_->last().isRunning);
        timers_->tickAll();  // first tick after the release stops it
        QVERIFY(!timers_->last().isRunning);
        QCOMPARE(fired().size(), std::size_t{2});
    }

    void aNewPressRestartsTheRepeat() {
        activate({holding(mouseMapping("M", MouseButton::left, "wave"), 80)});
        engine_->handleMouseEvent(MouseButton::left, true, {});
        engine_->handleMouseEvent(MouseButton::left, true, {});
        QCOMPARE(timers_->startedCount(), std::size_t{2});
        QCOMPARE(timers_->runningCount(), std::size_t{1});
        QVERIFY(timers_->last().isRunning);
    }

    void holdingWithoutRepeatFiresOnce() {
        activate({keyMapping("M", kKeyA, "wave")});
        for (int i = 0; i < 5; ++i) {
            source_->keyDown(kKeyA);  // auto-repeat never reaches the engine
        }
        QCOMPARE(fired().size(), std::size_t{1});
        QCOMPARE(timers_->startedCount(), std::size_t{0});
    }

    void theMasterSwitchBlocksPressesAndExplainsOnlyMouseOnes() {
        activate({keyMapping("K", kKeyA, "wave"), mouseMapping("L", MouseButton::left, "wave")});
        state_->setEnabled(false);
        source_->keyDown(kKeyA);
        source_->keyUp(kKeyA);
        source_->mouse(QuartzEventType::leftMouseDown);
        source_->mouse(QuartzEventType::leftMouseUp);
        QVERIFY(fired().empty());
        QCOMPARE(log_->lines(),
                 std::vector<std::string>{"[TriggerEngine] blocked: isEnabled=false"});
    }

    void mousePressesExplainWhyNothingFired() {
        source_->mouse(QuartzEventType::rightMouseDown);
        source_->keyDown(kKeyA);
        activate({keyMapping("K", kKeyA, "wave")}, "Arena");
        source_->mouse(QuartzEventType::leftMouseDown);
        QCOMPARE(log_->lines(), (std::vector<std::string>{
                                    "[TriggerEngine] blocked: no active profile",
                                    "[TriggerEngine] no mapping for left in profile 'Arena'"}));
    }

    void aProfileSwitchStopsRepeatsAndForgetsCooldowns() {
        const auto mapping = cooling(holding(keyMapping("M", kKeyA, "wave"), 100), 10'000);
        activate({mapping});
        source_->keyDown(kKeyA);
        QCOMPARE(timers_->runningCount(), std::size_t{1});
        engine_->setActiveProfile(std::nullopt);
        QCOMPARE(timers_->runningCount(), std::size_t{0});
        source_->keyUp(kKeyA);

        activate({mapping});
        source_->keyDown(kKeyA);  // the cooldown did not carry over
        QCOMPARE(fired().size(), std::size_t{2});
    }

    void aRefusedTriggerIsLoggedWithThePluginState() {
        activate({keyMapping("M", kKeyA, "wave")});
        haptics_->accepts = false;
        source_->keyDown(kKeyA);
        QCOMPARE(log_->lines(),
                 (std::vector<std::string>{
                     "[TriggerEngine] firing wave",
                     "[TriggerEngine] HTTP failed for wave — plugin connected=false"}));
        state_->setPluginConnected(true);
        source_->keyUp(kKeyA);
        source_->keyDown(kKeyA);
        QVERIFY(log_->count("[TriggerEngine] HTTP failed for wave — plugin connected=true") == 1);
    }

    void theEngineUnhooksItselfFromTheMonitor() {
        activate({keyMapping("M", kKeyA, "wave")});
        engine_.reset();
        source_->keyDown(kKeyA);
        QVERIFY(fired().empty());
    }
};

QTEST_GUILESS_MAIN(TriggerEngineTest)
#include "TriggerEngineTest.moc"
