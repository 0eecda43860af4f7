#include "support/AppStateFixture.h"
#include "support/FixtureDesktop.h"
#include "support/RecordingHaptics.h"
#include "support/SampleProfiles.h"
#include "support/Widgets.h"
#include "ui/AddProfileSheet.h"
#include "ui/AppIconLookup.h"
#include "ui/MainWindow.h"
#include "ui/ProfileEditorView.h"

#include <QApplication>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace thrumwise;
using Id = std::optional<std::string>;

namespace {

const QString kEmpty = QStringLiteral("No Profile Selected");

// A window over Arena and Quest.
struct Rig {
    test::AppStateFixture app;
    AppState& state = app.state();
    NoAppIcons icons;
    test::RecordingHaptics haptics;
    test::FixtureDesktop desktop;
    int rechecks = 0;
    std::unique_ptr<MainWindow> window;

    Rig() {
        state.setProfiles(
            {test::profile("ARENA", "Arena", "arena"), test::profile("QUEST", "Quest", "quest")});
        window = std::make_unique<MainWindow>(
            ViewServices{state, icons, haptics, desktop.apps, desktop.picker},
            MainWindow::Actions{[this] {
                ++rechecks;
            }});
        window->show();
    }

    void clickRow(int row) const { test::clickRow(*window->findChild<QListView*>(), row); }
    const ProfileEditorView* editor() const {
        for (const auto* editor : window->findChildren<ProfileEditorView*>()) {
            if (editor->isVisibleTo(window.get())) {
                return editor;
            }
        }
        return nullptr;
    }
    bool showsEmpty() const { return test::shownTexts(*window).contains(kEmpty); }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Nothing is selected at first; a click shows the profile's editor, and a
    // profile that goes away leaves the empty view, the selection kept.
    void theDetailFollowsTheSelection() {
        Rig rig;
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        QVERIFY(rig.showsEmpty());
        QCOMPARE(rig.window->selectedProfileId(), std::nullopt);
        rig.clickRow(1);
        QCOMPARE(rig.window->selectedProfileId(), Id("QUEST"));
        QVERIFY(rig.editor() && rig.editor()->profileId() == "QUEST");
        QVERIFY(!rig.showsEmpty());

        rig.state.deleteProfile("QUEST");
        QVERIFY(rig.showsEmpty());
        QVERIFY(!rig.editor());
        QCOMPARE(rig.window->selectedProfileId(), Id("QUEST"));
        rig.clickRow(0);
        QCOMPARE(rig.editor()->profileId(), std::string("ARENA"));
    }

    // Deleting from the editor clears the selection.
    void deletingTheSelectedProfileClearsTheSelection() {
        Rig rig;
        rig.window->selectProfile("ARENA");
        test::withText<QPushButton>(*rig.window, QStringLiteral("Delete"))->click();
        auto* alert = rig.window->findChild<QMessageBox*>();
        test::withText<QPushButton>(*alert, QStringLiteral("Delete"))->click();
        QCOMPARE(rig.window->selectedProfileId(), std::nullopt);
        QTRY_VERIFY(rig.showsEmpty());
    }

    // It flips the switch, and follows it when the tray menu flips it.
    void theToolbarSwitchFollowsTheMasterSwitch() {
        Rig rig;
        auto* toggle = test::withText<QToolButton>(*rig.window, QStringLiteral("Enabled"));
        toggle->click();
        QVERIFY(!rig.state.isEnabled() && !toggle->isChecked());
        QCOMPARE(toggle->text(), QStringLiteral("Disabled"));
        rig.state.setEnabled(true);  // as the tray menu does
        QVERIFY(toggle->isChecked());
        QCOMPARE(toggle->text(), QStringLiteral("Enabled"));
    }

    // The status panel's link opens the add-profile sheet with the application
    // in front chosen; the new profile is not selected.
    void createProfileOffersTheUnmatchedApplication() {
        Rig rig;
        rig.state.setFrontmostBundleId("org.example.Editor");
        test::withText<QPushButton>(*rig.window, QStringLiteral("Create Profile"))->click();
        auto* sheet = rig.window->findChild<AddProfileSheet*>();
        QVERIFY(sheet != nullptr);
        auto* add = test::withText<QPushButton>(*sheet, QStringLiteral("Add Profile"));
        QTRY_VERIFY(add->isEnabled());
        add->click();
        const GameProfile& created = rig.state.profiles().back();
        QCOMPARE(created.displayName, std::string("org.example.Editor"));
        QCOMPARE(created.bundleId, std::string("org.example.Editor"));
        QCOMPARE(rig.window->selectedProfileId(), std::nullopt);
    }

    void ctrlCommaAsksForSettingsAndCtrlNOpensNoWindow() {
        Rig rig;
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        QSignalSpy settings(rig.window.get(), &MainWindow::settingsRequested);
        QTest::keyClick(rig.window.get(), Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(settings.count(), 1);
        const auto windowsBefore = QApplication::topLevelWidgets().size();
        QTest::keyClick(rig.window.get(), Qt::Key_N, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
