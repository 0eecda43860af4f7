// The real program beside both simulators, driven by xdotool as a player would
// drive it; only what takes the whole program.
#include "support/Stage.h"

using namespace thrumwise;
using namespace Qt::StringLiterals;
using test::Stage;

class EndToEndTest : public QObject {
    Q_OBJECT

    std::optional<Stage> stage_;
    std::unique_ptr<test::RunningProgram> app_;

    bool xdotool(const QString& command) { return stage_->xdotool(command); }
    QString window(const QString& title = u"Thrumwise"_s) {
        return stage_->waitForWindow(Stage::mainWindowOf(*app_, title));
    }

private Q_SLOTS:
    void init() { QVERIFY(stage_.emplace().start()); }
    void cleanup() {
        app_.reset();
        stage_.reset();
    }

    // Only the keyboard: Space picks the first profile, F2 selects its name, the
    // mapping sheet's button is five stops on and the first mapping's delete
    // button seven. The sheet's capture button sits at a fixed place.
    void aRenamedProfileAndAKeyCapturedInTheSheetAreSavedAndObeyed() {
        QVERIFY(stage_->writeProfiles(
            {test::keyMapping("A", 0, "knock"), test::keyMapping("SPACE", 49, "sharp_collision")}));
        const QString game = stage_->openWindow(u"ThrumwiseE2EGame"_s);
        QVERIFY(!game.isEmpty() && stage_->launch(app_));
        QVERIFY(stage_->focus(window()) && xdotool(u"key space F2"_s) &&
                xdotool(u"type Renamed"_s));
        QVERIFY(xdotool(u"key Tab Tab Tab Tab Tab Tab Tab space"_s));
        QTRY_VERIFY(stage_->savedProfiles().size() == 1 &&
                    stage_->savedProfiles().front().displayName == "Renamed" &&
                    stage_->savedProfiles().front().mappings.size() == 1);
        QVERIFY(xdotool(u"key F2 Tab Tab Tab Tab Tab space"_s) &&
                stage_->focus(window(u"Add.Mapping"_s)));
        QVERIFY(xdotool(u"mousemove --window %1 250 146 click 1"_s.arg(window(u"Add.Mapping"_s))));
        QVERIFY(xdotool(u"key x"_s) && xdotool(u"key Return"_s));
        QTRY_COMPARE(stage_->savedProfiles().front().mappings.size(), std::size_t{2});
        const KeyMapping captured = stage_->savedProfiles().front().mappings.back();
        QCOMPARE(captured.keyCode, std::optional<std::uint16_t>(7));  // X on a Mac keyboard
        QCOMPARE(captured.keyName, std::optional<std::string>("X"));
        QVERIFY(stage_->focus(game));
        VERIFY_SEEN(*app_, app_->waitForLines(
                               u"[AppMonitor] Activated profile: Renamed for ThrumwiseE2EGame"_s));
        QVERIFY(xdotool(u"key a x space"_s));
        QStringList expected{QString::fromStdString(captured.hapticPattern), u"sharp_collision"_s};
        expected.sort();
        QTRY_COMPARE(stage_->effects(), expected);
        QTest::qWait(300);  // a trigger for the deleted mapping would have come by now
        QCOMPARE(stage_->effects(), expected);
    }

    // A Steam game found in the library becomes a profile through the
    // add-profile sheet, whose rows fill once the scan is done. Closed, the
    // program stays in the tray, and a second launch shows it again.
    void aSteamGameBecomesTheActiveProfileAndASecondLaunchShowsTheFirstCopy() {
        QVERIFY(stage_->writeProfiles({}));
        QVERIFY(stage_->writeFile(".local/share/Steam/steamapps/appmanifest_4242.acf",
                                  "\"AppState\"\n{\n\t\"appid\"\t\"4242\"\n"
                                  "\t\"name\"\t\"Orbital Drift\"\n}\n"));
        const QString game = stage_->openWindow(u"steam_app_4242"_s);
        QVERIFY(!game.isEmpty() && stage_->launch(app_) && stage_->focus(window()));
        QVERIFY(xdotool(u"key Tab space"_s));
        const QString sheet = window(u"Add.Game.Profile"_s);
        QVERIFY(xdotool(u"mousemove --window %1 250 78 click 1"_s.arg(sheet)) &&
                xdotool(u"type orbital"_s));
        QVERIFY(QTest::qWaitFor([&] {
            return xdotool(u"mousemove --window %1 200 150 click 1 key Return"_s.arg(sheet)) &&
                   QTest::qWaitFor([&] { return stage_->savedProfiles().size() == 2; }, 500);
        }));
        QVERIFY(stage_->focus(game));
        VERIFY_SEEN(*app_,
                    app_->waitForLines(
                        u"[AppMonitor] Activated profile: Orbital Drift for steam_app_4242"_s));
        QVERIFY(stage_->focus(window()) && xdotool(u"key alt+F4"_s));
        QTRY_VERIFY(!xdotool(u"search --all --onlyvisible "_s + Stage::mainWindowOf(*app_)));
        const auto second = stage_->startThrumwise();
        VERIFY_SEEN(*second, second->waitForExitSuccess() && second->lines().isEmpty());
        QVERIFY(!window().isEmpty() && app_->isRunning());
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
