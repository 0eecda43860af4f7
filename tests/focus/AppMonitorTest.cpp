#include "focus/AppMonitor.h"
#include "platform/FrontmostApplicationSource.h"
#include "support/LogRecorder.h"
#include "support/ManualTimerFactory.h"
#include "support/SampleProfiles.h"

#include <QTest>

using namespace thrumwise;
using Lines = std::vector<std::string>;
using Id = std::optional<std::string>;

const std::string kStarted = "[AppMonitor] Started monitoring frontmost application";

// Counts the looks it answers, and tells of a change when the test says so.
struct FakeFrontmostSource final : FrontmostApplicationSource {
    std::optional<FrontmostApplication> frontmostApplication() override {
        ++looks;
        return current;
    }
    void setChangeHandler(ChangeHandler handler) override { onChange = std::move(handler); }
    void tellOfChange(Id bundleId) {
        current = FrontmostApplication{std::move(bundleId), std::nullopt};
        onChange();
    }

    std::optional<FrontmostApplication> current;
    int looks = 0;
    ChangeHandler onChange;
};

// A monitor over Arena and Quest; what it tells goes to `told`, the chosen profile becomes active.
struct Rig {
    test::LogRecorder log;
    FakeFrontmostSource source;
    test::ManualTimerFactory timers;
    std::vector<GameProfile> profiles{test::profile("ARENA", "Arena", "com.example.arena"),
                                      test::profile("QUEST", "Quest", "com.example.quest")};
    Id activeId;
    Lines told;
    AppMonitor::Profiles reader{
        .all = [this]() -> const std::vector<GameProfile>& { return profiles; },
        .activeProfileId = [this] { return activeId; },
    };
    std::optional<AppMonitor> monitor{std::in_place, source, reader, timers, log.logger()};

    Rig() {
        QObject::connect(&*monitor, &AppMonitor::frontmostBundleIdSeen,
                         [this](const Id& id) { told.push_back("front " + id.value_or("-")); });
        QObject::connect(&*monitor, &AppMonitor::profileChosen, [this](const auto& profile) {
            activeId = profile ? Id(profile->id) : std::nullopt;
            told.push_back("profile " + activeId.value_or("-"));
        });
        monitor->startMonitoring();
    }
    // One poll, then what it queued.
    void focus(Id bundleId, Id name = std::nullopt) {
        source.current = FrontmostApplication{std::move(bundleId), std::move(name)};
        timers.tickAll();
        QCoreApplication::sendPostedEvents();
    }
};

class AppMonitorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Polls from one interval after the start; told at every poll that finds an
    // application, looked up on a change only, both after the poll, identifier first.
    void theIdentifierIsToldOnEveryPollBeforeTheFirstEnabledProfileForIt() {
        Rig rig;
        QCOMPARE(rig.timers.last().interval, std::chrono::milliseconds(200));
        rig.timers.tickAll();  // no application in front: nothing
        rig.source.current = FrontmostApplication{"com.example.quest", std::nullopt};
        rig.timers.tickAll();
        QVERIFY(rig.told.empty());  // nothing inside the poll
        QCoreApplication::sendPostedEvents();
        rig.focus("com.example.quest");
        QCOMPARE(rig.told,
                 (Lines{"front com.example.quest", "profile QUEST", "front com.example.quest"}));
        QCOMPARE(rig.log.lines(),
                 (Lines{kStarted, "[AppMonitor] Activated profile: Quest for com.example.quest"}));
        // The first enabled profile with the exact identifier wins.
        const auto first = test::profile("FIRST", "First", "game");
        GameProfile off = first;
        off.isEnabled = false;
        for (const auto& [profiles, front, expected] :
             std::vector<std::tuple<std::vector<GameProfile>, std::string, Id>>{
                 {{first, test::profile("SECOND", "Second", "game")}, "game", "FIRST"},
                 {{off, test::profile("SECOND", "Second", "game")}, "game", "SECOND"},
                 {{off, off}, "game", std::nullopt},
                 {{first}, "GAME", std::nullopt}}) {
            rig.profiles = profiles;
            rig.focus("elsewhere");
            rig.focus(front);
            QCOMPARE(rig.activeId, expected);
        }
        rig.log.clear();
        rig.focus("org.example.browser");  // none equals none: nothing said
        rig.profiles = {first};
        rig.focus("game");
        rig.focus("other");
        QCOMPARE(rig.log.lines(), (Lines{"[AppMonitor] Activated profile: First for game",
                                         "[AppMonitor] No profile for: other"}));
        // Every change goes to the hook; the last identifier outlives a stop.
        rig.told.clear();
        rig.profiles = {test::profile("ARENA", "Arena", "com.example.arena")};
        Lines changes;
        rig.monitor->setOnAppChanged([&](const Id& id, const Id& name) {
            changes.push_back(id.value_or("-") + " " + name.value_or("-"));
        });
        rig.focus("com.example.arena", "Arena");
        rig.focus(std::nullopt, "Untitled");
        rig.focus("com.example.arena");  // a change again, but the profile is already active
        rig.log.clear();
        rig.monitor->stopMonitoring();
        rig.monitor->stopMonitoring();  // logs also when stopped
        QCOMPARE(rig.timers.runningCount(), std::size_t{0});
        rig.activeId.reset();
        rig.monitor->startMonitoring();
        rig.monitor->startMonitoring();  // replaces, never doubles the poll
        QCOMPARE(rig.timers.runningCount(), std::size_t{1});
        rig.focus("com.example.arena");  // no change: nothing looked up
        QCOMPARE(rig.told, (Lines{"front com.example.arena", "profile ARENA", "front -",
                                  "front com.example.arena", "front com.example.arena"}));
        QCOMPARE(changes, (Lines{"com.example.arena Arena", "- Untitled", "com.example.arena -"}));
        const std::string stopped = "[AppMonitor] Stopped monitoring";
        QCOMPARE(rig.log.lines(), (Lines{stopped, stopped, kStarted, kStarted}));
    }

    // Many changes told before the next turn bring one look, at what is in front by
    // then; a stopped or ended monitor asks nothing, and drops a look already queued.
    void aToldChangeIsLookedAtOnceOnTheNextTurnWhileRunning() {
        Rig rig;
        rig.source.tellOfChange("com.example.arena");
        rig.source.tellOfChange("com.example.quest");
        rig.source.tellOfChange("com.example.quest");
        QCOMPARE(rig.source.looks, 0);         // never inside the source's own call
        QCoreApplication::sendPostedEvents();  // the look, then what it queued
        QCoreApplication::sendPostedEvents();
        QCOMPARE(rig.source.looks, 1);
        QCOMPARE(rig.told, (Lines{"front com.example.quest", "profile QUEST"}));
        rig.source.tellOfChange("com.example.arena");  // a later change is looked at again
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(rig.source.looks, 2);
        QCOMPARE(rig.activeId, Id("ARENA"));
        rig.focus("com.example.arena");  // the poll goes on beside it
        QCOMPARE(rig.source.looks, 3);
        rig.source.tellOfChange("com.example.quest");
        rig.monitor->stopMonitoring();
        QVERIFY(!rig.source.onChange);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(rig.source.looks, 3);
        rig.monitor->startMonitoring();
        QVERIFY(rig.source.onChange);
        rig.monitor.reset();
        QVERIFY(!rig.source.onChange);
    }
};

QTEST_GUILESS_MAIN(AppMonitorTest)
#include "AppMonitorTest.moc"
