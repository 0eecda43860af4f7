// The real thrumwise program on a private X display with a window manager and
// a tray, talking to the plug-in and companion simulators, driven by xdotool
// the way a player's keyboard and mouse would drive it. Each class's rules are
// its own suite's; here only what takes the whole program.
#include "support/LoopbackHttpServer.h"
#include "support/Stage.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

using namespace thrumwise;
using test::gameProfile;
using test::kGameActivated;
using test::kNoActiveProfile;
using test::Stage;

class EndToEndTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pressesAndClicksReachThePluginWhileTheGameIsFocused() {
        Stage stage;
        QVERIFY(stage.start());
        QVERIFY(stage.writeProfiles(
            gameProfile({test::keyMapping("SPACE", 49, "sharp_collision"),
                         test::mouseMapping("L", MouseButton::left, "knock")})));
        const QString game = stage.openWindow(QStringLiteral("ThrumwiseE2EGame"));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(!game.isEmpty() && stage.launch(app) && stage.focus(game));
        VERIFY_SEEN(*app, app->waitForLines(kGameActivated));
        QVERIFY(stage.xdotool(QStringLiteral("key space click 1")));
        QTRY_COMPARE(stage.effects(),
                     (QStringList{QStringLiteral("knock"), QStringLiteral("sharp_collision")}));
    }

    void focusingTheGameBlocksItAtTheCompanionAndLeavingUnblocks() {
        Stage stage;
        QVERIFY(stage.start() && stage.writeProfiles(gameProfile({}, true)));
        const QString game = stage.openWindow(QStringLiteral("ThrumwiseE2EGame"));
        const QString other = stage.openWindow(QStringLiteral("ThrumwiseE2EOther"));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(!game.isEmpty() && !other.isEmpty() && stage.launch(app));
        test::RunningProgram& companion = stage.companion();
        QVERIFY(stage.focus(game));
        VERIFY_SEEN(companion, companion.waitForLines(QStringLiteral(
                                   " block ThrumwiseE2EGame | blocked: ThrumwiseE2EGame")));
        QVERIFY(stage.focus(other));
        VERIFY_SEEN(companion, companion.waitForLines(
                                   QStringLiteral(" unblock ThrumwiseE2EGame | blocked: (none)")));
        QCOMPARE(companion.lines().size(), qsizetype{3});  // after "listening on"
    }

    // A click tells whether the switch is on: when it is, only a profile is missing.
    void switchingHapticsOffInTheTrayLastsAcrossRestarts() {
        Stage stage;
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(stage.start() && stage.launch(app) && stage.click());
        VERIFY_SEEN(*app, app->waitForLines(kNoActiveProfile));
        VERIFY_SEEN(*app, stage.toggleHapticsFromTray(*app));
        QTRY_COMPARE(QSettings(stage.home("config/Thrumwise/Thrumwise.conf"), QSettings::IniFormat)
                         .value(QStringLiteral("isEnabled"))
                         .toString(),
                     QStringLiteral("false"));
        QVERIFY(stage.launch(app) && stage.click());
        VERIFY_SEEN(*app,
                    app->waitForLines(QStringLiteral("[TriggerEngine] blocked: isEnabled=false")));
    }

    // The window is closed the way a user closes it; the program stays in the tray.
    void aSecondLaunchShowsTheFirstCopyAndExits() {
        Stage stage;
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(stage.start() && stage.launch(app));
        QVERIFY(stage.focus(stage.firstWindow(Stage::mainWindowOf(*app))));
        QVERIFY(stage.xdotool(QStringLiteral("key alt+F4")));
        QTRY_COMPARE(stage.windows(Stage::mainWindowOf(*app)), 0);
        const auto second = stage.startThrumwise();
        VERIFY_SEEN(*second, second->waitForExitSuccess() && second->lines().isEmpty());
        QTRY_COMPARE(stage.windows(Stage::mainWindowOf(*app)), 1);
        QVERIFY(app->isRunning());
    }

    // Only the keyboard, as a player without a mouse edits: Space picks the
    // first profile, F2 selects its name, and the first mapping's delete
    // button is seven stops on.
    void aProfileRenamedAndAMappingDeletedInTheWindowAreSavedAndObeyed() {
        Stage stage;
        QVERIFY(stage.start());
        QVERIFY(
            stage.writeProfiles(gameProfile({test::keyMapping("A", 0, "knock"),
                                             test::keyMapping("SPACE", 49, "sharp_collision")})));
        const QString game = stage.openWindow(QStringLiteral("ThrumwiseE2EGame"));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(!game.isEmpty() && stage.launch(app) && stage.focusMainWindow(*app));
        QVERIFY(stage.xdotool(QStringLiteral("key space F2")) &&
                stage.xdotool(QStringLiteral("type Renamed")));
        QVERIFY(stage.xdotool(QStringLiteral("key Tab Tab Tab Tab Tab Tab Tab space")));
        QTRY_VERIFY(stage.savedProfiles().size() == 1 &&
                    stage.savedProfiles().front().displayName == "Renamed" &&
                    stage.savedProfiles().front().mappings.size() == 1);
        QCOMPARE(stage.savedProfiles().front().mappings.front().id, std::string("SPACE"));
        QVERIFY(stage.focus(game));
        VERIFY_SEEN(*app, app->waitForLines(QStringLiteral(
                              "[AppMonitor] Activated profile: Renamed for ThrumwiseE2EGame")));
        QVERIFY(stage.xdotool(QStringLiteral("key a space")));
        QTRY_COMPARE(stage.effects(), QStringList{QStringLiteral("sharp_collision")});
        QTest::qWait(300);  // a trigger for the deleted mapping would have come by now
        QCOMPARE(stage.effects(), QStringList{QStringLiteral("sharp_collision")});
    }

    // The sheet opens five stops after the name field; its capture button and
    // its size are fixed, so a click at that place arms the capture.
    void aKeyCapturedInTheMappingSheetFiresAtThePlugin() {
        Stage stage;
        QVERIFY(stage.start() && stage.writeProfiles(gameProfile({})));
        const QString game = stage.openWindow(QStringLiteral("ThrumwiseE2EGame"));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(!game.isEmpty() && stage.launch(app) && stage.focusMainWindow(*app));
        QVERIFY(stage.xdotool(QStringLiteral("key space F2 Tab Tab Tab Tab Tab space")));
        const QString sheet = stage.waitForWindow(*app, QStringLiteral("Add Mapping"));
        QVERIFY(!sheet.isEmpty());
        QVERIFY(stage.xdotool(QStringLiteral("mousemove --window %1 250 146 click 1").arg(sheet)));
        QVERIFY(stage.xdotool(QStringLiteral("key x")));
        QVERIFY(stage.xdotool(QStringLiteral("key Return")));
        QTRY_VERIFY(!stage.savedProfiles().empty() &&
                    stage.savedProfiles().front().mappings.size() == 1);
        const KeyMapping saved = stage.savedProfiles().front().mappings.front();
        QCOMPARE(saved.keyCode, std::optional<std::uint16_t>(7));  // X on a Mac keyboard
        QCOMPARE(saved.keyName, std::optional<std::string>("X"));
        QVERIFY(stage.focus(game));
        VERIFY_SEEN(*app, app->waitForLines(kGameActivated));
        QVERIFY(stage.xdotool(QStringLiteral("key x")));
        QTRY_COMPARE(stage.effects(), QStringList{QString::fromStdString(saved.hapticPattern)});
    }

    // A Steam game found in the library becomes a profile through the
    // add-profile sheet, and is active when its window is.
    void aSteamGamePickedInTheAddProfileSheetBecomesTheActiveProfile() {
        Stage stage;
        QVERIFY(stage.start() && stage.writeProfiles(gameProfile({})));
        QVERIFY(stage.writeFile("data/applications/notes.desktop",
                                "[Desktop Entry]\nType=Application\nName=Notes\nExec=true\n"));
        QVERIFY(stage.writeFile(".local/share/Steam/steamapps/appmanifest_4242.acf",
                                "\"AppState\"\n{\n\t\"appid\"\t\"4242\"\n"
                                "\t\"name\"\t\"Orbital Drift\"\n}\n"));
        const QString steamGame = stage.openWindow(QStringLiteral("steam_app_4242"));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(!steamGame.isEmpty() && stage.launch(app) && stage.focusMainWindow(*app));
        QVERIFY(stage.xdotool(QStringLiteral("key Tab space")));
        const QString sheet = stage.waitForWindow(*app, QStringLiteral("Add Game Profile"));
        QVERIFY(!sheet.isEmpty());
        QVERIFY(stage.xdotool(QStringLiteral("mousemove --window %1 250 78 click 1").arg(sheet)));
        QVERIFY(stage.xdotool(QStringLiteral("type orbital")));
        const auto added = [&] {
            const auto saved = stage.savedProfiles();
            return std::any_of(saved.begin(), saved.end(), [](const GameProfile& profile) {
                return profile.displayName == "Orbital Drift" &&
                       profile.bundleId == "steam_app_4242";
            });
        };
        // The list fills when the scan, which runs off the window's thread, is done.
        const QString firstRow = QStringLiteral("mousemove --window %1 200 150 click 1").arg(sheet);
        QVERIFY(QTest::qWaitFor([&] {
            return stage.xdotool(firstRow) && stage.xdotool(QStringLiteral("key Return")) &&
                   QTest::qWaitFor(added, 500);
        }));
        QVERIFY(stage.focus(steamGame));
        VERIFY_SEEN(*app, app->waitForLines(QStringLiteral(
                              "[AppMonitor] Activated profile: Orbital Drift for steam_app_4242")));
    }

    // A torn write: a valid file cut short, whose mapping must not come alive.
    void anUnreadableProfilesFileIsKeptAsideAndNothingFires() {
        Stage stage;
        const QByteArray torn =
            gameProfile({test::mouseMapping("L", MouseButton::left, "knock")}).chopped(200);
        QVERIFY(stage.start() && stage.writeProfiles(torn));
        const QString game = stage.openWindow(QStringLiteral("ThrumwiseE2EGame"));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(!game.isEmpty() && stage.launch(app));
        const QString moved = QStringLiteral("[ProfileManager] Moved unreadable profiles file to ");
        VERIFY_SEEN(*app, app->waitForLines(moved));
        const QFileInfo keptAt(app->linesContaining(moved).constFirst().section(moved, 1));
        QCOMPARE(keptAt.absolutePath(), stage.home("data/Thrumwise"));
        QCOMPARE(keptAt.size(), qint64{torn.size()});
        QVERIFY(stage.focus(game) && stage.xdotool(QStringLiteral("click 1")));
        VERIFY_SEEN(*app, app->waitForLines(kNoActiveProfile));
        QVERIFY(app->linesContaining(QStringLiteral("[TriggerEngine] firing")).isEmpty());
    }

    // The alert's text is painted, not published: a picture shows it. Escape is "Later".
    void anAvailableUpdateIsOfferedAndLaterKeepsRunning() {
        test::LoopbackHttpServer updates;
        updates.setReply("/check-update",
                         test::LoopbackHttpServer::Reply::answer(
                             200, R"({"success":true,"update_available":true,"force_update":false,)"
                                  R"("latest_version":"9.9.9","release_notes":"Notes"})"));
        Stage stage;
        QVERIFY(stage.start());
        stage.updateUrl = QString::fromStdString(updates.url(""));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(stage.launch(app));
        const QString alert = Stage::ownedBy(*app) + QStringLiteral("--name ^Update.Available$");
        QTRY_COMPARE(stage.windows(alert), 1);
        QCOMPARE(updates.requests().at(0).body,
                 std::string(R"({"current_version":")" THRUMWISE_VERSION R"("})"));
        const QString picture =
            QDir(QStringLiteral(THRUMWISE_E2E_OUTPUT)).filePath(QStringLiteral("update-alert.png"));
        QFile::remove(picture);
        QVERIFY(stage.screenshot(picture) && QFileInfo(picture).size() > 0);
        QVERIFY(stage.focus(stage.firstWindow(alert)));
        QVERIFY(stage.xdotool(QStringLiteral("key Escape")));
        QTRY_COMPARE(stage.windows(alert), 0);
        QVERIFY(app->isRunning());
        QCOMPARE(updates.requests().size(), std::size_t{1});
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
