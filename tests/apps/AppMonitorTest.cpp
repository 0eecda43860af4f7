#include "apps/AppMonitor.h"
#include "platform/FrontmostApplicationSource.h"
#include "support/AppStateFixture.h"
#include "support/ManualTimerFactory.h"
#include "support/SampleProfiles.h"

#include <QSignalSpy>
#include <QTest>

using namespace thrumwise;

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

}  // namespace

class AppMonitorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::AppStateFixture> app_;
    std::unique_ptr<FakeFrontmostSource> source_;
    std::unique_ptr<test::ManualTimerFactory> timers_;
    std::unique_ptr<AppMonitor> monitor_;

    AppState& state() { return app_->state(); }

    // One poll, then the queued assignments run.
    void focus(std::optional<std::string> bundleId,
               std::optional<std::string> name = std::nullopt) {
        source_->current = FrontmostApplication{std::move(bundleId), std::move(name)};
        poll();
    }
    void poll() {
        timers_->tickAll();
        QCoreApplication::sendPostedEvents();
    }
    std::optional<std::string> activeId() {
        return state().activeProfile() ? std::optional(state().activeProfile()->id) : std::nullopt;
    }

private Q_SLOTS:
    void init() {
        app_ = std::make_unique<test::AppStateFixture>();
        source_ = std::make_unique<FakeFrontmostSource>();
        timers_ = std::make_unique<test::ManualTimerFactory>();
        monitor_ = std::make_unique<AppMonitor>(*source_, state(), *timers_, app_->log.logger());
        state().setProfiles({test::profile("ARENA", "Arena", "com.example.arena"),
                             test::profile("QUEST", "Quest", "com.example.quest")});
        monitor_->startMonitoring();
    }

    void startingLogsAtOnceAndPollsOneIntervalLater() {
        QCOMPARE(app_->log.lines(),
                 std::vector<std::string>{"[AppMonitor] Started monitoring frontmost application"});
        QCOMPARE(timers_->last().interval, std::chrono::milliseconds(200));
        source_->current = FrontmostApplication{"com.example.arena", std::nullopt};
        QCoreApplication::sendPostedEvents();
        QVERIFY(!state().frontmostBundleId());  // nothing before the first tick
        poll();
        QCOMPARE(*state().frontmostBundleId(), std::string("com.example.arena"));
    }

    void profilesFollowTheApplicationInFront() {
        app_->log.clear();
        focus("com.example.arena");
        QCOMPARE(activeId(), std::optional<std::string>("ARENA"));
        focus("org.example.editor");
        QVERIFY(!activeId());
        focus("org.example.browser");  // none equals none: nothing more
        focus("com.example.arena");
        QCOMPARE(activeId(), std::optional<std::string>("ARENA"));
        QCOMPARE(app_->log.lines(),
                 (std::vector<std::string>{
                     "[AppMonitor] Activated profile: Arena for com.example.arena",
                     "[AppMonitor] No profile for: org.example.editor",
                     "[AppMonitor] Activated profile: Arena for com.example.arena"}));
    }

    void theFirstEnabledProfileForTheIdentifierWins() {
        const auto first = test::profile("FIRST", "First", "game");
        const auto second = test::profile("SECOND", "Second", "game");
        state().setProfiles({first, second});
        focus("game");
        QCOMPARE(activeId(), std::optional<std::string>("FIRST"));

        state().setProfiles({disabled(first), second});
        focus("elsewhere");
        focus("game");
        QCOMPARE(activeId(), std::optional<std::string>("SECOND"));

        state().setProfiles({disabled(first), disabled(second)});
        focus("elsewhere");
        focus("game");
        QVERIFY(!activeId());
    }

    void identifiersAreCaseSensitive() {
        focus("COM.EXAMPLE.ARENA");
        QVERIFY(!activeId());
    }

    void aWindowWithoutIdentifierKeepsTheProfile() {
        std::vector<std::pair<std::optional<std::string>, std::optional<std::string>>> changes;
        monitor_->setOnAppChanged(
            [&](const auto& id, const auto& name) { changes.emplace_back(id, name); });
        focus("com.example.arena", "Arena");
        app_->log.clear();

        focus(std::nullopt, "Untitled");
        QVERIFY(!state().frontmostBundleId());
        QCOMPARE(activeId(), std::optional<std::string>("ARENA"));

        focus("com.example.arena");  // a change again, but the profile is already active
        QCOMPARE(changes.size(), std::size_t{3});
        QCOMPARE(changes[1].second, std::optional<std::string>("Untitled"));
        QVERIFY(app_->log.lines().empty());
    }

    void theIdentifierIsPublishedOnEveryPollButLookedUpOnlyOnChange() {
        focus("com.example.arena");
        QSignalSpy published(&state(), &AppState::frontmostBundleIdChanged);
        QSignalSpy switched(&state(), &AppState::activeProfileChanged);
        poll();
        poll();
        QCOMPARE(published.count(), 2);
        QCOMPARE(switched.count(), 0);
    }

    void noApplicationInFrontPublishesNothing() {
        QSignalSpy published(&state(), &AppState::frontmostBundleIdChanged);
        source_->current.reset();
        poll();
        QCOMPARE(published.count(), 0);
    }

    void theIdentifierIsAssignedBeforeTheProfileSwitchRuns() {
        std::vector<std::string> order;
        connect(&state(), &AppState::frontmostBundleIdChanged, this,
                [&] { order.push_back("frontmost"); });
        connect(&state(), &AppState::activeProfileChanged, this,
                [&] { order.push_back("profile"); });
        source_->current = FrontmostApplication{"com.example.quest", std::nullopt};
        timers_->tickAll();
        QVERIFY(order.empty());  // both are queued, neither runs inside the poll
        QCOMPARE(app_->log.count("[AppMonitor] Activated profile: Quest for com.example.quest"),
                 std::size_t{1});
        QCoreApplication::sendPostedEvents();
        QCOMPARE(order, (std::vector<std::string>{"frontmost", "profile"}));
    }

    void stoppingAndStartingAgainRemembersTheLastApplication() {
        focus("com.example.arena");
        state().setActiveProfile(std::nullopt);
        monitor_->stopMonitoring();
        QCOMPARE(timers_->runningCount(), std::size_t{0});
        monitor_->stopMonitoring();
        QCOMPARE(app_->log.count("[AppMonitor] Stopped monitoring"), std::size_t{2});
        monitor_->startMonitoring();
        monitor_->startMonitoring();  // replaces, never doubles the poll
        QCOMPARE(timers_->runningCount(), std::size_t{1});
        poll();
        QVERIFY(!activeId());  // same application: no change, nothing activated
    }
};

QTEST_GUILESS_MAIN(AppMonitorTest)
#include "AppMonitorTest.moc"
