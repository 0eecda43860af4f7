#include "support/AppStateFixture.h"
#include "support/SampleProfiles.h"

#include <QDir>
#include <QTest>

using namespace thrumwise;
using Lines = std::vector<std::string>;

namespace {

GameProfile blocking(GameProfile profile, bool flag = true) {
    profile.blockPressmint = flag;
    return profile;
}

}  // namespace

class AppStateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void launchesStartAsTheUserLeftThem() {
        test::AppStateFixture app;
        QVERIFY(app.state().isEnabled());  // the first launch turns haptics on and says so
        QCOMPARE(app.settings.value(QStringLiteral("isEnabled")).toBool(), true);
        QCOMPARE(app.settings.value(QStringLiteral("hasLaunchedBefore")).toBool(), true);

        app.state().setEnabled(false);
        QVERIFY(!app.relaunch()->isEnabled());
        app.settings.remove(QStringLiteral("isEnabled"));  // launched before, no stored switch
        QVERIFY(!app.relaunch()->isEnabled());
        app.settings.setValue(QStringLiteral("isEnabled"), true);
        QVERIFY(app.relaunch()->isEnabled());

        const std::vector<GameProfile> stored{test::profile("A", "Alpha", "a")};
        app.store.saveProfiles(stored);
        QVERIFY(app.relaunch()->profiles() == stored);
    }

    void everyAssignmentNotifiesBeforeAndAfterEvenWhenEqual() {
        test::AppStateFixture app;
        AppState& state = app.state();
        std::vector<std::string> events;
        connect(&state, &AppState::willChange, this, [&] { events.emplace_back("will"); });
        const auto record = [&](auto signal, const std::string& name) {
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

        QCOMPARE(events, (Lines{"will", "isEnabled", "will", "activeProfile", "will", "profiles",
                                "will", "isPluginConnected", "will", "isAccessibilityGranted",
                                "will", "isInputMonitoringGranted", "will", "frontmostBundleId",
                                "will", "lastInputEvent"}));
    }

    void switchingUnblocksTheOldBeforeBlockingTheNew() {
        test::AppStateFixture app;
        AppState& state = app.state();
        const GameProfile arena = blocking(test::profile("P", "Arena", "com.example.arena"));
        state.setActiveProfile(arena);
        state.setActiveProfile(arena);  // the same profile again
        state.setActiveProfile(blocking(test::profile("Q", "Quest", "com.example.quest"), false));
        state.setActiveProfile(arena);
        state.setActiveProfile(std::nullopt);
        QCOMPARE(app.blocklist.calls,
                 (Lines{"block com.example.arena", "unblock com.example.arena",
                        "block com.example.arena", "unblock com.example.arena",
                        "block com.example.arena", "unblock com.example.arena"}));
        QCOMPARE(app.handedToEngine.size(), std::size_t{5});
        QCOMPARE(app.handedToEngine[2]->id, std::string("Q"));
        QVERIFY(!app.handedToEngine[4] && !state.activeProfile());
    }

    void theOldProfileIsUnblockedAsItWasActivated() {
        test::AppStateFixture app;
        AppState& state = app.state();
        GameProfile arena = blocking(test::profile("P", "Arena", "old.bundle"));
        state.setProfiles({arena});
        state.setActiveProfile(arena);
        arena.bundleId = "new.bundle";  // the stored list moves on; the active copy does not
        state.setProfiles({arena});
        state.setActiveProfile(std::nullopt);
        QCOMPARE(app.blocklist.calls, (Lines{"block old.bundle", "unblock old.bundle"}));
    }

    void refreshingFollowsTheEditedFlagWithoutTouchingTheEngine() {
        test::AppStateFixture app;
        AppState& state = app.state();
        GameProfile arena = test::profile("P", "Arena", "com.example.arena");
        state.setActiveProfile(arena);
        app.handedToEngine.clear();

        state.refreshActiveProfile(
            blocking(test::profile("OTHER", "Other", "other")));  // not active
        QVERIFY(app.blocklist.calls.empty());

        arena.blockPressmint = true;
        state.refreshActiveProfile(arena);  // turned on
        arena.displayName = "Arena II";
        state.refreshActiveProfile(arena);  // another change, flag still on
        arena.bundleId = "com.example.moved";
        state.refreshActiveProfile(arena);  // moved to another application
        arena.blockPressmint = false;
        state.refreshActiveProfile(arena);  // turned off

        QCOMPARE(app.blocklist.calls,
                 (Lines{"block com.example.arena", "unblock com.example.arena",
                        "block com.example.arena", "unblock com.example.arena",
                        "block com.example.moved", "unblock com.example.moved"}));
        QVERIFY(*state.activeProfile() == arena);
        QVERIFY(app.handedToEngine.empty());
    }

    void deletingRemovesEveryProfileWithTheIdAndSaves() {
        test::AppStateFixture app;
        AppState& state = app.state();
        const GameProfile shared = test::profile("SAME", "One", "a");
        const GameProfile other = test::profile("OTHER", "Two", "b");
        state.setProfiles({shared, other, shared});
        state.setActiveProfile(shared);
        app.log.clear();

        state.deleteProfile("SAME");
        app.saveQueue.flush();
        QVERIFY(state.profiles() == std::vector<GameProfile>{other});
        QVERIFY(*state.activeProfile() == shared);  // stays active until the focus moves
        state.deleteProfile("UNKNOWN");
        app.saveQueue.flush();
        QVERIFY(state.profiles() == std::vector<GameProfile>{other});

        QCOMPARE(app.log.count("[ProfileManager] Saved 1 profiles"), std::size_t{2});
        QVERIFY(app.store.loadProfiles() == std::vector<GameProfile>{other});
        QVERIFY(app.blocklist.calls.empty());
    }

    // A failed save is told, with its reason, until a later save succeeds.
    void aFailedSaveIsToldUntilASaveSucceeds() {
        test::AppStateFixture app;
        AppState& state = app.state();
        const QString file = app.store.profilesFilePath();
        QVERIFY(QDir().mkpath(file));  // a folder where the file should be
        state.saveProfiles();
        QTRY_VERIFY(state.profileSaveError().has_value());
        QVERIFY(!state.profileSaveError()->empty());
        QVERIFY(QDir().rmdir(file));
        state.saveProfiles();
        QTRY_VERIFY(!state.profileSaveError().has_value());
    }
};

QTEST_GUILESS_MAIN(AppStateTest)
#include "AppStateTest.moc"
