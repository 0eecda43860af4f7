#include "app/AppState.h"
#include "input/InputMonitor.h"
#include "support/AppStateFixture.h"
#include "support/FakeEventSource.h"
#include "support/LogRecorder.h"

#include <QSignalSpy>
#include <QTest>

using namespace thrumwise;
using test::FakeEventSource;

namespace {

struct KeyCall {
    bool isDown;
    std::uint16_t code;
    std::optional<std::string> name;
    ModifierSet modifiers;
};

struct MouseCall {
    bool isDown;
    MouseButton button;
    ModifierSet modifiers;
};

}  // namespace

class InputMonitorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeEventSource> source_;
    std::unique_ptr<test::AppStateFixture> app_;
    AppState* state_ = nullptr;
    std::unique_ptr<test::LogRecorder> log_;
    std::unique_ptr<InputMonitor> monitor_;
    std::vector<KeyCall> keys_;
    std::vector<MouseCall> mice_;

    void deliverQueuedCalls() { QCoreApplication::sendPostedEvents(); }

private Q_SLOTS:
    void init() {
        source_ = std::make_unique<FakeEventSource>();
        app_ = std::make_unique<test::AppStateFixture>();
        state_ = &app_->state();
        log_ = std::make_unique<test::LogRecorder>();
        monitor_ = std::make_unique<InputMonitor>(*source_, *state_, log_->logger());
        keys_.clear();
        mice_.clear();
        const auto onKey = [this](bool isDown) {
            return [this, isDown](std::uint16_t code, std::optional<std::string_view> name,
                                  ModifierSet modifiers) {
                keys_.push_back({isDown, code,
                                 name ? std::optional<std::string>(*name) : std::nullopt,
                                 modifiers});
            };
        };
        monitor_->setOnKeyDown(onKey(true));
        monitor_->setOnKeyUp(onKey(false));
        monitor_->setOnMouseDown([this](MouseButton b, ModifierSet m) {
            mice_.push_back({true, b, m});
        });
        monitor_->setOnMouseUp([this](MouseButton b, ModifierSet m) {
            mice_.push_back({false, b, m});
        });
        monitor_->start();
    }

    void cleanup() { monitor_.reset(); }  // before the source it listens to

    void holdingAKeyReportsOnePressAndPostsEveryRepeat() {
        QSignalSpy posts(state_, &AppState::lastInputEventChanged);
        source_->keyDown(0);
        source_->keyDown(0);  // auto-repeat
        source_->keyDown(0);
        QVERIFY(monitor_->isKeyHeld(0));
        source_->keyUp(0);

        QCOMPARE(keys_.size(), std::size_t{2});
        QVERIFY(keys_[0].isDown && keys_[0].code == 0 && keys_[0].name == "A");
        QVERIFY(!keys_[1].isDown && keys_[1].code == 0);
        QVERIFY(!monitor_->isKeyHeld(0));

        QCOMPARE(posts.count(), 0);  // the display is updated later, never inside the handler
        deliverQueuedCalls();
        QCOMPARE(posts.count(), 3);  // press and two repeats; the release posts nothing
        QCOMPARE(*state_->lastInputEvent(), std::string("⌨ A"));
    }

    void keysWithoutANameShowTheirCode() {
        source_->keyDown(117);
        deliverQueuedCalls();
        QCOMPARE(*state_->lastInputEvent(), std::string("⌨ Key117"));
        QVERIFY(!keys_.at(0).name.has_value());
        QCOMPARE(keys_.at(0).code, std::uint16_t{117});
    }

    void keyEventsCarryTheirOwnModifiers() {
        source_->keyDown(11, QuartzFlags::shift | QuartzFlags::command | 0x100 /* side bit */);
        source_->keyUp(11, QuartzFlags::control | QuartzFlags::alternate);
        QVERIFY((keys_.at(0).modifiers == ModifierSet{ModifierKey::shift, ModifierKey::command}));
        QVERIFY((keys_.at(1).modifiers == ModifierSet{ModifierKey::control, ModifierKey::option}));
        QVERIFY(
            (monitor_->heldModifiers() == ModifierSet{ModifierKey::control, ModifierKey::option}));
    }

    void mouseEventsCarryTheModifiersOfTheLastKeyboardEvent() {
        source_->flagsChanged(QuartzFlags::shift);  // Shift alone calls nothing
        QVERIFY(keys_.empty());
        QVERIFY(monitor_->heldModifiers() == ModifierSet{ModifierKey::shift});

        source_->send({QuartzEventType::leftMouseDown, 0, QuartzFlags::command});
        QVERIFY(monitor_->isMouseButtonHeld(MouseButton::left));
        source_->mouse(QuartzEventType::leftMouseUp);
        source_->flagsChanged(0);
        source_->mouse(QuartzEventType::rightMouseDown);
        deliverQueuedCalls();

        QCOMPARE(mice_.size(), std::size_t{3});
        QVERIFY(mice_[0].isDown && mice_[0].button == MouseButton::left);
        QVERIFY(mice_[0].modifiers == ModifierSet{ModifierKey::shift});
        QVERIFY(!mice_[1].isDown && mice_[1].modifiers == ModifierSet{ModifierKey::shift});
        QVERIFY(mice_[2].button == MouseButton::right && mice_[2].modifiers.empty());
        QVERIFY(!monitor_->isMouseButtonHeld(MouseButton::left));
        QCOMPARE(*state_->lastInputEvent(), std::string("🖱 Right ↓"));
    }

    void mouseTextsNameButtonAndDirection() {
        QStringList seen;
        connect(state_, &AppState::lastInputEventChanged, this,
                [&] { seen << QString::fromStdString(*state_->lastInputEvent()); });
        for (auto type : {QuartzEventType::leftMouseDown, QuartzEventType::leftMouseUp,
                          QuartzEventType::rightMouseDown, QuartzEventType::rightMouseUp}) {
            source_->mouse(type);
        }
        deliverQueuedCalls();
        QCOMPARE(seen,
                 (QStringList{QStringLiteral("🖱 Left ↓"), QStringLiteral("🖱 Left ↑"),
                              QStringLiteral("🖱 Right ↓"), QStringLiteral("🖱 Right ↑")}));
    }

    void otherButtonsAndOutOfRangeCodesAreIgnored() {
        QSignalSpy posts(state_, &AppState::lastInputEventChanged);
        source_->mouse(QuartzEventType::otherMouseDown);
        source_->mouse(QuartzEventType::otherMouseUp);
        source_->keyDown(65536);
        source_->keyDown(-1);
        deliverQueuedCalls();
        QVERIFY(keys_.empty());
        QVERIFY(mice_.empty());
        QCOMPARE(posts.count(), 0);
    }

    void releasesAreReportedEvenWhenNothingWasHeld() {
        source_->keyUp(3);
        source_->mouse(QuartzEventType::rightMouseUp);
        QCOMPARE(keys_.size(), std::size_t{1});
        QCOMPARE(mice_.size(), std::size_t{1});
    }

    void startingTwiceStartsOnce() {
        monitor_->start();
        QCOMPARE(source_->startCount, 1);
        QVERIFY(monitor_->isMonitoring());
        QCOMPARE(log_->count("[InputMonitor] Started monitoring keyboard and mouse input"),
                 std::size_t{1});
    }

    void stopForgetsHeldKeysAndButtonsButNotModifiers() {
        source_->keyDown(0, QuartzFlags::shift);
        source_->mouse(QuartzEventType::rightMouseDown);
        monitor_->stop();
        QVERIFY(!monitor_->isMonitoring());
        QVERIFY(!source_->isDelivering());
        QVERIFY(!monitor_->isKeyHeld(0));
        QVERIFY(!monitor_->isMouseButtonHeld(MouseButton::right));
        QVERIFY(monitor_->heldModifiers() == ModifierSet{ModifierKey::shift});

        monitor_->stop();  // when stopped: still logs
        QCOMPARE(log_->count("[InputMonitor] Stopped monitoring"), std::size_t{2});
        QCOMPARE(source_->stopCount, 1);

        // A key held across the stop is reported again on its next key-down.
        monitor_->start();
        source_->keyDown(0);
        QCOMPARE(keys_.size(), std::size_t{2});
    }

    void aFailedStartIsLoggedAndRetriedLater() {
        monitor_->stop();
        source_->startSucceeds = false;
        monitor_->start();
        QVERIFY(!monitor_->isMonitoring());
        QCOMPARE(log_->count("[InputMonitor] Failed to create event tap — check Accessibility AND "
                             "Input Monitoring in System Settings."),
                 std::size_t{1});
        source_->startSucceeds = true;
        monitor_->start();
        QVERIFY(monitor_->isMonitoring());
    }

    void aLostSourceLeavesTheMonitorStoppedAndRestartable() {
        source_->keyDown(5);
        source_->lose();
        QVERIFY(!monitor_->isMonitoring());
        QVERIFY(!monitor_->isKeyHeld(5));
        monitor_->start();
        QVERIFY(monitor_->isMonitoring());
        QCOMPARE(source_->startCount, 2);
    }
};

QTEST_GUILESS_MAIN(InputMonitorTest)
#include "InputMonitorTest.moc"
