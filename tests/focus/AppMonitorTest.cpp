#include "focus/AppMonitor.h"
#include "platform/FrontmostApplicationSource.h"
#include "support/LogRecorder.h"
#include "support/ManualTimerFactory.h"
#include "support/SampleProfiles.h"

#include <QTest>

using namespace thrumwise;
using Lines = std::vector<std::string>;
using Id = std::optional<std::string>;

namespace {

// Counts the looks it answers, and tells of a change when the test says so.
class FakeFrontmostSource final : public FrontmostApplicationSource {
public:
    std::optional<FrontmostApplication> frontmostApplication() override {
        ++looks;
        return current;
    }
    void setChangeHandler(ChangeHandler handler) override { onChange = std::move(handler); }
    void tellOfChange() const {
        if (onChange) {
            onChange();
        }
    }

    std::optional<FrontmostApplication> current;
    int looks = 0;
    ChangeHandler onChange;
};

// A look the monitor queued, then what that look queued in turn.
void runQueuedLook() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents();
}

// A started monitor over the profiles Arena and Quest. What it tells is written
// down in `told` ("front <id>", "profile <id>"), and the chosen profile becomes
// the active one, as the application does with it.
struct Rig {
    test::LogRecorder log;
    FakeFrontmostSource source;
    test::ManualTimerFactory timers;
    std::vector<GameProfile> profiles{test::profile("ARENA", "Arena", "com.example.arena"),
                                      test::profile("QUEST", "Quest", "com.example.quest")};
    Id activeId;
    Lines told;
    AppMonitor monitor{source,
                       {[this]() -> const std::vector<GameProfile>& { return profiles; },
                        [this] {
                            return activeId;
                        }},
                       timers,
                       log.logger()};

    Rig() {
        QObject::connect(&monitor, &AppMonitor::frontmostBundleIdSeen,
                         [this](const Id& id) { told.push_back("front " + id.value_or("-")); });
        QObject::connect(&monitor, &AppMonitor::profileChosen,
                         [this](const std::optional<GameProfile>& profile) {
                             activeId = profile ? Id(profile->id) : std::nullopt;
                             told.push_back("profile " + activeId.value_or("-"));
                         });
        monitor.startMonitoring();
    }

    // One poll with `bundleId` in front, then what it queued runs.
    void focus(Id bundleId, Id name = std::nullopt) {
        source.current = FrontmostApplication{std::move(bundleId), std::move(name)};
        timers.tickAll();
        QCoreApplication::sendPostedEvents();
    }
};

}  // namespace

class AppMonitorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Polls from one interval after the start; told at every poll that finds an
    // application, looked up on a change only, both after the poll, identifier first.
    void theIdentifierIsToldOnEveryPollAndBeforeTheProfile() {
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
                 (Lines{"[AppMonitor] Started monitoring frontmost application",
                        "[AppMonitor] Activated profile: Quest for com.example.quest"}));
    }

    void theFirstEnabledProfileWithTheExactIdentifierWins() {
        Rig rig;
        const auto first = test::profile("FIRST", "First", "game");
        const auto second = test::profile("SECOND", "Second", "game");
        auto off = [](GameProfile profile) {
            profile.isEnabled = false;
            return profile;
        };
        for (const auto& [profiles, front, expected] :
             std::vector<std::tuple<std::vector<GameProfile>, std::string, Id>>{
                 {{first, second}, "game", "FIRST"},
                 {{off(first), second}, "game", "SECOND"},
                 {{off(first), off(second)}, "game", std::nullopt},
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
        QCOMPARE(rig.log.lines(), Lines{"[AppMonitor] Activated profile: First for game"});
        rig.focus("other");
        QCOMPARE(rig.log.lines().back(), std::string("[AppMonitor] No profile for: other"));
    }

    // Every change is told to the hook; the last identifier outlives a stop,
    // and a window without one keeps the profile.
    void aWindowWithoutIdentifierOrAStopKeepsTheProfile() {
        Rig rig;
        Lines changes;
        rig.monitor.setOnAppChanged([&](const Id& id, const Id& name) {
            changes.push_back(id.value_or("-") + " " + name.value_or("-"));
        });
        rig.focus("com.example.arena", "Arena");
        rig.focus(std::nullopt, "Untitled");
        rig.focus("com.example.arena");  // a change again, but the profile is already active
        rig.log.clear();
        rig.monitor.stopMonitoring();
        rig.monitor.stopMonitoring();  // logs also when stopped
        QCOMPARE(rig.timers.runningCount(), std::size_t{0});
        rig.activeId.reset();
        rig.monitor.startMonitoring();
        rig.monitor.startMonitoring();  // replaces, never doubles the poll
        QCOMPARE(rig.timers.runningCount(), std::size_t{1});
        rig.focus("com.example.arena");  // no change: nothing looked up
        QCOMPARE(rig.told, (Lines{"front com.example.arena", "profile ARENA", "front -",
                                  "front com.example.arena", "front com.example.arena"}));
        QCOMPARE(changes, (Lines{"com.example.arena Arena", "- Untitled", "com.example.arena -"}));
        const std::string started = "[AppMonitor] Started monitoring frontmost application";
        const std::string stopped = "[AppMonitor] Stopped monitoring";
        QCOMPARE(rig.log.lines(), (Lines{stopped, stopped, started, started}));
    }

    // However many changes the source tells of before the next turn of the
    // event loop, one look follows, at the application in front by then.
    void aToldChangeIsLookedAtOnceOnTheNextTurn() {
        Rig rig;
        rig.log.clear();
        rig.source.current = FrontmostApplication{"com.example.arena", std::nullopt};
        rig.source.tellOfChange();
        rig.source.current = FrontmostApplication{"com.example.quest", std::nullopt};
        rig.source.tellOfChange();
        rig.source.tellOfChange();
        QCOMPARE(rig.source.looks, 0);  // never inside the source's own call
        runQueuedLook();
        QCOMPARE(rig.source.looks, 1);
        QCOMPARE(rig.told, (Lines{"front com.example.quest", "profile QUEST"}));
        QCOMPARE(rig.log.lines(),
                 Lines{"[AppMonitor] Activated profile: Quest for com.example.quest"});

        rig.source.current = FrontmostApplication{"com.example.arena", std::nullopt};
        rig.source.tellOfChange();  // a later change is looked at again
        runQueuedLook();
        QCOMPARE(rig.source.looks, 2);
        QCOMPARE(rig.activeId, Id("ARENA"));
        rig.focus("com.example.arena");  // the poll goes on beside it
        QCOMPARE(rig.source.looks, 3);
    }

    // A stopped or ended monitor asks the source for nothing, and a look
    // already queued when it stops is dropped.
    void onlyARunningMonitorListensToTheSource() {
        test::LogRecorder log;
        FakeFrontmostSource source;
        test::ManualTimerFactory timers;
        const std::vector<GameProfile> profiles;
        {
            AppMonitor monitor(source,
                               {[&]() -> const std::vector<GameProfile>& { return profiles; },
                                [] {
                                    return Id();
                                }},
                               timers, log.logger());
            QVERIFY(!source.onChange);
            monitor.startMonitoring();
            source.current = FrontmostApplication{"com.example.arena", std::nullopt};
            source.tellOfChange();
            monitor.stopMonitoring();
            QVERIFY(!source.onChange);
            runQueuedLook();
            QCOMPARE(source.looks, 0);
            monitor.startMonitoring();
            QVERIFY(source.onChange);
        }
        QVERIFY(!source.onChange);
    }
};

QTEST_GUILESS_MAIN(AppMonitorTest)
#include "AppMonitorTest.moc"
