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

    void tellOfChange() {
        if (onChange) {
            onChange();
        }
    }

    std::optional<FrontmostApplication> current;
    int looks = 0;
    ChangeHandler onChange;
};

GameProfile disabled(GameProfile profile) {
    profile.isEnabled = false;
    return profile;
}

// A started monitor over two profiles, Arena and Quest. What it reports is
// written down in `told` ("front <id>", "profile <id>") and the chosen
// profile becomes the active one, as the application does with it.
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
        poll();
    }
    void poll() {
        timers.tickAll();
        QCoreApplication::sendPostedEvents();
    }
    // A look the monitor queued, then what that look queued in turn.
    static void runQueuedLook() {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents();
    }
};

}  // namespace

class AppMonitorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startingLogsAtOnceAndPollsOneIntervalLater() {
        Rig rig;
        QCOMPARE(rig.log.lines(), Lines{"[AppMonitor] Started monitoring frontmost application"});
        QCOMPARE(rig.timers.last().interval, std::chrono::milliseconds(200));
        rig.source.current = FrontmostApplication{"com.example.arena", std::nullopt};
        QCoreApplication::sendPostedEvents();
        QVERIFY(rig.told.empty());  // nothing before the first tick
        rig.poll();
        QCOMPARE(rig.told, (Lines{"front com.example.arena", "profile ARENA"}));
    }

    void profilesFollowTheApplicationInFront() {
        Rig rig;
        rig.log.clear();
        rig.focus("com.example.arena");
        QCOMPARE(rig.activeId, Id("ARENA"));
        rig.focus("COM.EXAMPLE.ARENA");  // identifiers are case-sensitive
        QCOMPARE(rig.activeId, std::nullopt);
        rig.focus("org.example.browser");  // none equals none: nothing more
        rig.focus("com.example.arena");
        QCOMPARE(rig.activeId, Id("ARENA"));
        QCOMPARE(rig.log.lines(),
                 (Lines{"[AppMonitor] Activated profile: Arena for com.example.arena",
                        "[AppMonitor] No profile for: COM.EXAMPLE.ARENA",
                        "[AppMonitor] Activated profile: Arena for com.example.arena"}));
    }

    void theFirstEnabledProfileForTheIdentifierWins() {
        Rig rig;
        const auto first = test::profile("FIRST", "First", "game");
        const auto second = test::profile("SECOND", "Second", "game");
        for (const auto& [profiles, expected] :
             std::vector<std::pair<std::vector<GameProfile>, Id>>{
                 {{first, second}, "FIRST"},
                 {{disabled(first), second}, "SECOND"},
                 {{disabled(first), disabled(second)}, std::nullopt}}) {
            rig.profiles = profiles;
            rig.focus("elsewhere");
            rig.focus("game");
            QCOMPARE(rig.activeId, expected);
        }
    }

    void aWindowWithoutIdentifierKeepsTheProfile() {
        Rig rig;
        std::vector<std::pair<Id, Id>> changes;
        rig.monitor.setOnAppChanged(
            [&](const auto& id, const auto& name) { changes.emplace_back(id, name); });
        rig.focus("com.example.arena", "Arena");
        rig.log.clear();
        rig.told.clear();

        rig.focus(std::nullopt, "Untitled");
        rig.focus("com.example.arena");  // a change again, but the profile is already active
        QCOMPARE(rig.told, (Lines{"front -", "front com.example.arena"}));
        QCOMPARE(changes.size(), std::size_t{3});
        QCOMPARE(changes[1].second, Id("Untitled"));
        QVERIFY(rig.log.lines().empty());
    }

    // Told at every poll with an application in front, looked up on a change
    // only, and both only after the poll, the identifier first.
    void theIdentifierIsToldOnEveryPollAndBeforeTheProfile() {
        Rig rig;
        rig.poll();  // no application in front: nothing
        rig.source.current = FrontmostApplication{"com.example.quest", std::nullopt};
        rig.timers.tickAll();
        QVERIFY(rig.told.empty());
        QCOMPARE(rig.log.lines().back(),
                 std::string("[AppMonitor] Activated profile: Quest for com.example.quest"));
        QCoreApplication::sendPostedEvents();
        rig.poll();
        QCOMPARE(rig.told,
                 (Lines{"front com.example.quest", "profile QUEST", "front com.example.quest"}));
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
        Rig::runQueuedLook();
        QCOMPARE(rig.source.looks, 1);
        QCOMPARE(rig.told, (Lines{"front com.example.quest", "profile QUEST"}));
        QCOMPARE(rig.log.lines(),
                 Lines{"[AppMonitor] Activated profile: Quest for com.example.quest"});

        rig.source.current = FrontmostApplication{"com.example.arena", std::nullopt};
        rig.source.tellOfChange();  // a later change is looked at again
        Rig::runQueuedLook();
        QCOMPARE(rig.source.looks, 2);
        QCOMPARE(rig.activeId, Id("ARENA"));
        QCOMPARE(rig.timers.last().interval, std::chrono::milliseconds(200));  // the poll goes on
        rig.poll();
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
            Rig::runQueuedLook();
            QCOMPARE(source.looks, 0);
            monitor.startMonitoring();
            QVERIFY(source.onChange);
        }
        QVERIFY(!source.onChange);
    }

    void stoppingAndStartingAgainRemembersTheLastApplication() {
        Rig rig;
        rig.focus("com.example.arena");
        rig.activeId.reset();
        rig.monitor.stopMonitoring();
        QCOMPARE(rig.timers.runningCount(), std::size_t{0});
        rig.monitor.stopMonitoring();
        QCOMPARE(rig.log.count("[AppMonitor] Stopped monitoring"), std::size_t{2});
        rig.monitor.startMonitoring();
        rig.monitor.startMonitoring();  // replaces, never doubles the poll
        QCOMPARE(rig.timers.runningCount(), std::size_t{1});
        rig.poll();
        QVERIFY(!rig.activeId);  // same application: no change, nothing activated
    }
};

QTEST_GUILESS_MAIN(AppMonitorTest)
#include "AppMonitorTest.moc"
