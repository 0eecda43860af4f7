#include "apps/AppMonitor.h"
#include "platform/FrontmostApplicationSource.h"
#include "support/AppStateFixture.h"
#include "support/ManualTimerFactory.h"
#include "support/SampleProfiles.h"

#include <QSignalSpy>
#include <QTest>

using namespace thrumwise;
using Lines = std::vector<std::string>;
using Id = std::optional<std::string>;

namespace {

class FakeFrontmostSource final : public FrontmostApplicationSource {
public:
    std::optional<FrontmostApplication> frontmostApplication() override { return current; }
    std::optional<FrontmostApplication> current;
};

GameProfile disabled(GameProfile profile) {
    profile.isEnabled = false;
    return profile;
}

// A started monitor over two profiles, Arena and Quest.
struct Rig {
    test::AppStateFixture app;
    AppState& state = app.state();
    test::LogRecorder& log = app.log;
    FakeFrontmostSource source;
    test::ManualTimerFactory timers;
    AppMonitor monitor{source, state, timers, log.logger()};

    Rig() {
        state.setProfiles({test::profile("ARENA", "Arena", "com.example.arena"),
                           test::profile("QUEST", "Quest", "com.example.quest")});
        monitor.startMonitoring();
    }

    // One poll with `bundleId` in front, then the queued assignments run.
    void focus(Id bundleId, Id name = std::nullopt) {
        source.current = FrontmostApplication{std::move(bundleId), std::move(name)};
        poll();
    }
    void poll() {
        timers.tickAll();
        QCoreApplication::sendPostedEvents();
    }
    Id activeId() const {
        return state.activeProfile() ? Id(state.activeProfile()->id) : std::nullopt;
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
        QVERIFY(!rig.state.frontmostBundleId());  // nothing before the first tick
        rig.poll();
        QCOMPARE(rig.state.frontmostBundleId(), Id("com.example.arena"));
    }

    void profilesFollowTheApplicationInFront() {
        Rig rig;
        rig.log.clear();
        rig.focus("com.example.arena");
        QCOMPARE(rig.activeId(), Id("ARENA"));
        rig.focus("COM.EXAMPLE.ARENA");  // identifiers are case-sensitive
        QCOMPARE(rig.activeId(), std::nullopt);
        rig.focus("org.example.browser");  // none equals none: nothing more
        rig.focus("com.example.arena");
        QCOMPARE(rig.activeId(), Id("ARENA"));
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
            rig.state.setProfiles(profiles);
            rig.focus("elsewhere");
            rig.focus("game");
            QCOMPARE(rig.activeId(), expected);
        }
    }

    void aWindowWithoutIdentifierKeepsTheProfile() {
        Rig rig;
        std::vector<std::pair<Id, Id>> changes;
        rig.monitor.setOnAppChanged(
            [&](const auto& id, const auto& name) { changes.emplace_back(id, name); });
        rig.focus("com.example.arena", "Arena");
        rig.log.clear();

        rig.focus(std::nullopt, "Untitled");
        QVERIFY(!rig.state.frontmostBundleId());
        QCOMPARE(rig.activeId(), Id("ARENA"));
        rig.focus("com.example.arena");  // a change again, but the profile is already active
        QCOMPARE(changes.size(), std::size_t{3});
        QCOMPARE(changes[1].second, Id("Untitled"));
        QVERIFY(rig.log.lines().empty());
    }

    void theIdentifierIsPublishedOnEveryPollButLookedUpOnlyOnChange() {
        Rig rig;
        QSignalSpy published(&rig.state, &AppState::frontmostBundleIdChanged);
        QSignalSpy switched(&rig.state, &AppState::activeProfileChanged);
        rig.poll();  // no application in front: nothing
        rig.focus("com.example.arena");
        rig.poll();
        rig.poll();
        QCOMPARE(published.count(), 3);
        QCOMPARE(switched.count(), 1);
    }

    void theIdentifierIsAssignedBeforeTheProfileSwitchRuns() {
        Rig rig;
        Lines order;
        QObject::connect(&rig.state, &AppState::frontmostBundleIdChanged,
                         [&] { order.push_back("frontmost"); });
        QObject::connect(&rig.state, &AppState::activeProfileChanged,
                         [&] { order.push_back("profile"); });
        rig.source.current = FrontmostApplication{"com.example.quest", std::nullopt};
        rig.timers.tickAll();
        QVERIFY(order.empty());  // both are queued, neither runs inside the poll
        QCOMPARE(rig.log.lines().back(),
                 std::string("[AppMonitor] Activated profile: Quest for com.example.quest"));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(order, (Lines{"frontmost", "profile"}));
    }

    void stoppingAndStartingAgainRemembersTheLastApplication() {
        Rig rig;
        rig.focus("com.example.arena");
        rig.state.setActiveProfile(std::nullopt);
        rig.monitor.stopMonitoring();
        QCOMPARE(rig.timers.runningCount(), std::size_t{0});
        rig.monitor.stopMonitoring();
        QCOMPARE(rig.log.count("[AppMonitor] Stopped monitoring"), std::size_t{2});
        rig.monitor.startMonitoring();
        rig.monitor.startMonitoring();  // replaces, never doubles the poll
        QCOMPARE(rig.timers.runningCount(), std::size_t{1});
        rig.poll();
        QVERIFY(!rig.activeId());  // same application: no change, nothing activated
    }
};

QTEST_GUILESS_MAIN(AppMonitorTest)
#include "AppMonitorTest.moc"
