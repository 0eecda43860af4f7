#include "support/FixtureDesktop.h"
#include "support/RecordingHaptics.h"
#include "support/Widgets.h"
#include "ui/AddProfileSheet.h"
#include "ui/AppIconLookup.h"
#include "ui/MainWindow.h"
#include "ui/ProfileEditorView.h"

using namespace thrumwise;
using Id = std::optional<std::string>;

namespace {

// A window over Arena and Quest.
struct Rig {
    test::AppStateFixture app;
    NoAppIcons icons;
    test::RecordingHaptics haptics;
    test::FixtureDesktop desktop;
    MainWindow window{ViewServices{app.state(), icons, haptics, desktop.apps, desktop.picker},
                      MainWindow::Actions{[] {
                      }}};

    Rig() {
        app.state().setProfiles(
            {test::profile("ARENA", "Arena", "arena"), test::profile("QUEST", "Quest", "quest")});
    }

    void clickRow(int row) { test::clickRow(*window.findChild<QListView*>(), row); }
    // The profile whose editor is on screen, or "".
    std::string shown() const {
        for (const auto* editor : window.findChildren<ProfileEditorView*>()) {
            if (editor->isVisibleTo(&window)) {
                return editor->profileId();
            }
        }
        return {};
    }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A profile that goes away takes its editor along; the selection stays,
    // though the list moves its own; deleting in the editor clears it.
    void theDetailFollowsTheSelection() {
        Rig rig;
        rig.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&rig.window) && rig.shown().empty());
        rig.clickRow(1);
        QCOMPARE(rig.shown(), std::string("QUEST"));
        rig.app.state().deleteProfile("QUEST");
        QVERIFY(rig.shown().empty() && rig.window.selectedProfileId() == Id("QUEST"));
        rig.clickRow(0);
        QCOMPARE(rig.shown(), std::string("ARENA"));
        test::child<QPushButton>(rig.window, u"Delete")->click();
        test::child<QPushButton>(*rig.window.findChild<QMessageBox*>(), u"Delete")->click();
        QVERIFY(rig.shown().empty() && !rig.window.selectedProfileId());
    }

    // It flips haptics, and follows them when the tray menu flips them.
    void theToolbarSwitchFollowsTheMasterSwitch() {
        Rig rig;
        auto* toggle = test::child<QToolButton>(rig.window, u"Enabled");
        toggle->click();
        QVERIFY(!rig.app.state().isEnabled() && !toggle->isChecked());
        rig.app.state().setEnabled(true);
        QVERIFY(toggle->isChecked() && toggle->text() == u"Enabled");
    }

    // The status panel offers the application in front; Ctrl+N opens nothing.
    void createProfileOffersTheUnmatchedApplication() {
        Rig rig;
        rig.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        QSignalSpy settings(&rig.window, &MainWindow::settingsRequested);
        const auto windows = QApplication::topLevelWidgets().size();
        QTest::keyClick(&rig.window, Qt::Key_Comma, Qt::ControlModifier);
        QTest::keyClick(&rig.window, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(settings.count() == 1 && QApplication::topLevelWidgets().size() == windows);
        rig.app.state().setFrontmostBundleId("org.example.Editor");
        test::child<QPushButton>(rig.window, u"Create Profile")->click();
        auto* add =
            test::child<QPushButton>(*rig.window.findChild<AddProfileSheet*>(), u"Add Profile");
        QTRY_VERIFY(add->isEnabled());
        add->click();
        QCOMPARE(rig.app.state().profiles().back().bundleId, std::string("org.example.Editor"));
        QCOMPARE(rig.window.selectedProfileId(), std::nullopt);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
