#include "support/AppStateFixture.h"
#include "support/SampleProfiles.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace thrumwise;
using Lines = std::vector<std::string>;

class AppStateTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void launchesStartAsLeftEveryAssignmentNotifiesAndDeletionsAreSaved() {
        test::AppStateFixture app;
        AppState& state = app.state();
        QVERIFY(state.isEnabled());  // the first launch turns haptics on and says so
        QCOMPARE(app.settings.value(QStringLiteral("isEnabled")).toBool(), true);
        QCOMPARE(app.settings.value(QStringLiteral("hasLaunchedBefore")).toBool(), true);
        Lines events;
        connect(&state, &AppState::willChange, this, [&] { events.emplace_back("will"); });
        // Each value as it was, so that nothing differs but the telling.
        const auto told = [&](void (AppState::*changed)(), const auto& assign) {
            events.clear();
            const auto connection =
                connect(&state, changed, this, [&] { events.emplace_back("did"); });
            assign();
            disconnect(connection);
            QCOMPARE(events, (Lines{"will", "did"}));
        };
        told(&AppState::isEnabledChanged, [&] { state.setEnabled(true); });
        told(&AppState::activeProfileChanged, [&] { state.setActiveProfile(std::nullopt); });
        told(&AppState::profilesChanged, [&] { state.setProfiles({}); });
        told(&AppState::isPluginConnectedChanged, [&] { state.setPluginConnected(false); });
        told(&AppState::isAccessibilityGrantedChanged,
             [&] { state.setAccessibilityGranted(true); });
        told(&AppState::isInputMonitoringGrantedChanged,
             [&] { state.setInputMonitoringGranted(false); });
        told(&AppState::frontmostBundleIdChanged, [&] { state.setFrontmostBundleId({}); });
        told(&AppState::lastInputEventChanged, [&] { state.setLastInputEvent("⌨ A"); });
        told(&AppState::profileSaveErrorChanged, [&] { state.setProfileSaveError({}); });
        state.setEnabled(false);
        QVERIFY(!app.relaunch()->isEnabled());
        app.settings.remove(QStringLiteral("isEnabled"));  // launched before, no stored switch
        QVERIFY(!app.relaunch()->isEnabled());
        app.settings.setValue(QStringLiteral("isEnabled"), true);
        QVERIFY(app.relaunch()->isEnabled());
        const std::vector<GameProfile> stored{test::profile("A", "Alpha", "a")};
        app.store.saveProfiles(stored);
        QVERIFY(app.relaunch()->profiles() == stored);
        // Deleting removes every profile with the id and saves; a failed save is told, with its
        // reason, until a later save succeeds.
        const GameProfile same = test::profile("SAME", "One", "a");
        const std::vector<GameProfile> others{test::profile("OTHER", "Two", "b")};
        state.setProfiles({same, others[0], same});
        state.setActiveProfile(same);
        app.log.clear();
        state.deleteProfile("SAME");
        app.saveQueue.flush();
        QVERIFY(state.profiles() == others);
        QVERIFY(*state.activeProfile() == same);  // stays active until the focus moves
        const QString file = app.store.profilesFilePath();
        QVERIFY(QFile::remove(file) && QDir().mkpath(file));  // a folder in the file's place
        state.deleteProfile("UNKNOWN");
        QTRY_VERIFY(state.profileSaveError().has_value());
        QVERIFY(!state.profileSaveError()->empty() && state.profiles() == others);
        QVERIFY(QDir().rmdir(file));
        state.saveProfiles();
        QTRY_VERIFY(!state.profileSaveError().has_value());
        QVERIFY(app.store.loadProfiles() == others);
        QCOMPARE(app.log.lines()[0], std::string("[ProfileManager] Saved 1 profiles"));
    }

    // Each flag as the profile had it when it became active, not as the list has it now; a
    // refresh follows the edited flag without touching the engine.
    void switchingAndRefreshingFollowTheBlockFlag() {
        test::AppStateFixture app;
        AppState& state = app.state();
        GameProfile arena = test::profile("P", "Arena", "arena");
        arena.blockPressmint = true;
        state.setActiveProfile(arena);
        state.setActiveProfile(arena);  // the same profile again
        state.setActiveProfile(test::profile("Q", "Quest", "quest"));
        state.setActiveProfile(arena);
        arena.bundleId = "moved";
        state.setProfiles({arena});
        state.setActiveProfile(std::nullopt);
        QCOMPARE(app.blocklist.calls, (Lines{"block arena", "unblock arena", "block arena",
                                             "unblock arena", "block arena", "unblock arena"}));
        QCOMPARE(app.handedToEngine.size(), std::size_t{5});
        QCOMPARE(app.handedToEngine[2]->id, std::string("Q"));
        QVERIFY(!app.handedToEngine[4] && !state.activeProfile());

        arena = test::profile("P", "Arena", "arena");
        state.setActiveProfile(arena);
        app.handedToEngine.clear();
        app.blocklist.calls.clear();
        GameProfile other = test::profile("OTHER", "Other", "other");
        other.blockPressmint = true;
        state.refreshActiveProfile(other);
        arena.blockPressmint = true;
        state.refreshActiveProfile(arena);  // turned on
        arena.displayName = "Arena II";
        state.refreshActiveProfile(arena);  // another change, flag still on
        arena.bundleId = "moved";
        state.refreshActiveProfile(arena);  // moved to another application
        arena.blockPressmint = false;
        state.refreshActiveProfile(arena);  // turned off
        QCOMPARE(app.blocklist.calls, (Lines{"block arena", "unblock arena", "block arena",
                                             "unblock arena", "block moved", "unblock moved"}));
        QVERIFY(*state.activeProfile() == arena && app.handedToEngine.empty());
    }
};

QTEST_GUILESS_MAIN(AppStateTest)
#include "AppStateTest.moc"
