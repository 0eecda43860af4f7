#include "support/AppStateFixture.h"
#include "support/SampleProfiles.h"

#include <QTest>

using namespace thrumwise;

namespace {

GameProfile blocking(GameProfile profile, bool flag = true) {
    profile.blockPressmint = flag;
    return profile;
}

}  // namespace

class AppStateTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::AppStateFixture> app_;

    std::vector<std::string>& calls() { return app_->blocklist.calls; }

private Q_SLOTS:
    void init() { app_ = std::make_unique<test::AppStateFixture>(); }

    void theFirstLaunchTurnsHapticsOnAndRemembersIt() {
        QVERIFY(app_->state().isEnabled());
        QCOMPARE(app_->settings.value(QStringLiteral("isEnabled")).toBool(), true);
        QCOMPARE(app_->settings.value(QStringLiteral("hasLaunchedBefore")).toBool(), true);
    }

    void laterLaunchesStartAsTheUserLeftThem() {
        app_->state().setEnabled(false);
        QVERIFY(!app_->relaunch()->isEnabled());
        app_->settings.remove(QStringLiteral("isEnabled"));  // launched before, no stored switch
        QVERIFY(!app_->relaunch()->isEnabled());
        app_->settings.setValue(QStringLiteral("isEnabled"), true);
        QVERIFY(app_->relaunch()->isEnabled());
    }

    void profilesComeFromTheStoreAtCreation() {
        const std::vector<GameProfile> stored{test::profile("A", "Alpha", "a"),
                                              test::profile("B", "Beta", "b")};
        app_->store.saveProfiles(stored);
        QVERIFY(app_->relaunch()->profiles() == stored);
    }

    void everyAssignmentNotifiesBeforeAndAfterEvenWhenEqual() {
        AppState& state = app_->state();
        std::vector<std::string> events;
        connect(&state, &AppState::willChange, this, [&] { events.push_back("will"); });
        const auto record = [&](auto signal, std::string name) {
            connect(&state, signal, this, [&events, name] { events.push_back(name); });
        };
        record(&AppState::isEnabledChanged, "isEnabled");
        record(&AppState::activeProfileChanged, "activeProfile");
        record(&AppState::profilesChanged, "profiles");
        record(&AppState::isPluginConnectedChanged, "isPluginConnected");
        record(&AppState::isAccessibilityGrantedChanged, "isAccessibilityGranted");
        record(&AppState::isInputMonitoringGrantedChanged, "isInputMonitoringGranted");
        record(&AppState::frontmostBundleIdChanged, "frontmostBundleId");
        record(&AppState::lastInputEventChanged, "lastInputEvent");

        state.setEnabled(true);  // equal to the current value
        state.setActiveProfile(std::nullopt);
        state.setProfiles({});
        state.setPluginConnected(false);
        state.setAccessibilityGranted(true);
        state.setInputMonitoringGranted(false);
        state.setFrontmostBundleId(std::nullopt);
        state.setLastInputEvent(std::string("⌨ A"));

        QCOMPARE(events, (std::vector<std::string>{"will", "isEnabled", "will", "activeProfile",
                                                   "will", "profiles", "will", "isPluginConnected",
                                                   "will", "isAccessibilityGranted", "will",
                                                   "isInputMonitoringGranted", "will",
                                                   "frontmostBundleId", "will", "lastInputEvent"}));
    }

    void switchingAwayFromABlockingProfileUnblocksItOnce() {
        AppState& state = app_->state();
        state.setActiveProfile(blocking(test::profile("P", "Arena", "com.example.arena")));
        calls().clear();
        app_->handedToEngine.clear();

        state.setActiveProfile(std::nullopt);

        QCOMPARE(calls(), std::vector<std::string>{"unblock com.example.arena"});
        QVERIFY(!state.activeProfile());
        QCOMPARE(app_->handedToEngine.size(), std::size_t{1});
        QVERIFY(!app_->handedToEngine[0].has_value());
    }

    void switchingUnblocksTheOldBeforeBlockingTheNew() {
        AppState& state = app_->state();
        const GameProfile arena = blocking(test::profile("P", "Arena", "com.example.arena"));
        state.setActiveProfile(arena);
        state.setActiveProfile(arena);  // the same profile again
        state.setActiveProfile(blocking(test::profile("Q", "Quest", "com.example.quest"), false));
        QCOMPARE(calls(), (std::vector<std::string>{
                              "block com.example.arena", "unblock com.example.arena",
                              "block com.example.arena", "unblock com.example.arena"}));
        QCOMPARE(app_->handedToEngine.size(), std::size_t{3});
        QCOMPARE(app_->handedToEngine.back()->id, std::string("Q"));
        QCOMPARE(state.activeProfile()->id, std::string("Q"));
    }

    void theOldProfileIsUnblockedAsItWasActivated() {
        AppState& state = app_->state();
        GameProfile arena = blocking(test::profile("P", "Arena", "old.bundle"));
        state.setProfiles({arena});
        state.setActiveProfile(arena);
        arena.bundleId = "new.bundle";  // the stored list moves on; the active copy does not
        state.setProfiles({arena});
        state.setActiveProfile(std::nullopt);
        QCOMPARE(calls(), (std::vector<std::string>{"block old.bundle", "unblock old.bundle"}));
    }

    void refreshingFollowsTheEditedFlagWithoutTouchingTheEngine() {
        AppState& state = app_->state();
        GameProfile arena = test::profile("P", "Arena", "com.example.arena");
        state.setActiveProfile(arena);
        app_->handedToEngine.clear();

        state.refreshActiveProfile(
            blocking(test::profile("OTHER", "Other", "other")));  // not active
        QVERIFY(calls().empty());

        arena.blockPressmint = true;
        state.refreshActiveProfile(arena);  // turned on
        arena.displayName = "Arena II";
        state.refreshActiveProfile(arena);  // another change, flag still on
        arena.bundleId = "com.example.moved";
        state.refreshActiveProfile(arena);  // moved to another application
        arena.blockPressmint = false;
        state.refreshActiveProfile(arena);  // turned off

        QCOMPARE(calls(), (std::vector<std::string>{
                              "block com.example.arena", "unblock com.example.arena",
                              "block com.example.arena", "unblock com.example.arena",
                              "block com.example.moved", "unblock com.example.moved"}));
        QVERIFY(*state.activeProfile() == arena);
        QVERIFY(app_->handedToEngine.empty());
    }

    void deletingRemovesEveryProfileWithTheIdAndSaves() {
        AppState& state = app_->state();
        const GameProfile shared = test::profile("SAME", "One", "a");
        const GameProfile other = test::profile("OTHER", "Two", "b");
        state.setProfiles({shared, other, shared});
        state.setActiveProfile(shared);
        app_->log.clear();

        state.deleteProfile("SAME");
        QVERIFY(state.profiles() == std::vector<GameProfile>{other});
        QVERIFY(*state.activeProfile() == shared);  // stays active until the focus moves
        state.deleteProfile("UNKNOWN");
        QVERIFY(state.profiles() == std::vector<GameProfile>{other});

        QCOMPARE(app_->log.count("[ProfileManager] Saved 1 profiles"), std::size_t{2});
        QVERIFY(app_->store.loadProfiles() == std::vector<GameProfile>{other});
        QCOMPARE(calls(), std::vector<std::string>{});
    }
};

QTEST_GUILESS_MAIN(AppStateTest)
#include "AppStateTest.moc"
