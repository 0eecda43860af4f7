#include "support/FixtureDesktop.h"
#include "support/RecordingHaptics.h"
#include "support/Widgets.h"
#include "ui/AddProfileSheet.h"
#include "ui/AppIconLookup.h"
#include "ui/MainWindow.h"
#include "ui/ProfileEditorView.h"

using namespace thrumwise;

namespace {

struct Rig {
    test::AppStateFixture app;
    AppState& state = app.state();
    NoAppIcons icons;
    test::RecordingHaptics haptics;
    test::FixtureDesktop desktop;
    MainWindow window{ViewServices{state, icons, haptics, desktop.apps, desktop.picker}, {}};

    Rig() {
        state.setProfiles({test::profile("A", "Arena", "arena"), test::profile("Q", "Quest", "q")});
        window.show();
    }
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
    // The list moving its own selection as a row goes is no pick of the user.
    void theDetailFollowsTheSelection() {
        Rig rig;
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        test::clickRow(*rig.window.findChild<QListView*>(), 1);
        QCOMPARE(rig.shown(), std::string("Q"));
        rig.state.deleteProfile("Q");
        QVERIFY(rig.shown().empty() && rig.window.selectedProfileId() == "Q");
        test::clickRow(*rig.window.findChild<QListView*>(), 0);
        QCOMPARE(rig.shown(), std::string("A"));
        test::child<QPushButton>(rig.window, u"Delete")->click();
        test::child<QPushButton>(*rig.window.findChild<QMessageBox*>(), u"Delete")->click();
        QVERIFY(rig.shown().empty() && !rig.window.selectedProfileId());
    }

    void theToolbarAndTheStatusPanelAct() {
        Rig rig;
        QVERIFY(QTest::qWaitForWindowActive(&rig.window));
        QSignalSpy settings(&rig.window, &MainWindow::settingsRequested);
        const auto windows = QApplication::topLevelWidgets().size();
        QTest::keyClick(&rig.window, Qt::Key_Comma, Qt::ControlModifier);
        QTest::keyClick(&rig.window, Qt::Key_N, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QVERIFY(settings.count() == 1 && QApplication::topLevelWidgets().size() == windows);
        rig.state.setFrontmostBundleId("org.example.Editor");
        test::child<QPushButton>(rig.window, u"Create Profile")->click();
        auto* add = test::child<QPushButton>(*rig.window.findChild<QDialog*>(), u"Add Profile");
        QTRY_VERIFY(add->isEnabled());
        add->click();
        QVERIFY(rig.state.profiles().back().bundleId == "org.example.Editor");
        QVERIFY(!rig.window.selectedProfileId());
        auto* toggle = test::child<QToolButton>(rig.window, u"Enabled");
        toggle->click();
        QVERIFY(!rig.state.isEnabled() && !toggle->isChecked());
        rig.state.setEnabled(true);
        QVERIFY(toggle->isChecked() && toggle->text() == u"Enabled");
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
