#include "support/AppStateFixture.h"
#include "support/FixtureDesktop.h"
#include "support/SampleProfiles.h"
#include "support/Widgets.h"
#include "ui/AddProfileSheet.h"

#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace thrumwise;

namespace {

// An open sheet over a desktop with two applications and a Steam game.
struct Rig {
    test::AppStateFixture app;
    AppState& state = app.state();
    test::FixtureDesktop desktop;
    std::unique_ptr<AddProfileSheet> sheet;
    QListView* list = nullptr;

    Rig() {
        QVERIFY(desktop.addEntry(QStringLiteral("arena.desktop"), "Arena", "ArenaGame"));
        QVERIFY(desktop.addEntry(QStringLiteral("quest.desktop"), "Quest"));
        QVERIFY(desktop.addGame(570, "Dota 2"));
        sheet = std::make_unique<AddProfileSheet>(state, desktop.apps, desktop.picker);
        sheet->show();
        list = sheet->findChild<QListView*>();
        QTRY_VERIFY(list->isVisible());
    }

    QStringList rows() const { return test::rowTexts(*list->model()); }
    void pick(const QString& name) const { test::clickRow(*list, rows().indexOf(name)); }
    QLineEdit* field(const QString& accessibleName) const {
        return test::named<QLineEdit>(*sheet, accessibleName);
    }
    QPushButton* addButton() const {
        return test::withText<QPushButton>(*sheet, QStringLiteral("Add Profile"));
    }
};

}  // namespace

class AddProfileSheetTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Name and identifier are searched in any letter case; the text is used as typed.
    void searchFindsNamesAndIdentifiers() {
        Rig rig;
        QCOMPARE(rig.rows(), (QStringList{QStringLiteral("Arena"), QStringLiteral("Dota 2"),
                                          QStringLiteral("Quest")}));
        QTest::keyClicks(rig.field(QStringLiteral("Search applications")), QStringLiteral("STEAM"));
        QCOMPARE(rig.rows(), QStringList{QStringLiteral("Dota 2")});
        rig.field(QStringLiteral("Search applications"))->setText(QStringLiteral("arenagame"));
        QCOMPARE(rig.rows(), QStringList{QStringLiteral("Arena")});
        rig.field(QStringLiteral("Search applications"))->setText(QStringLiteral(" arena"));
        QVERIFY(rig.rows().isEmpty());
    }

    // The first pick names the profile; a later pick keeps the name.
    void aPickNamesTheProfileOnlyWhileItHasNoName() {
        Rig rig;
        QVERIFY(!rig.addButton()->isEnabled());
        rig.pick(QStringLiteral("Arena"));
        QCOMPARE(rig.field(QStringLiteral("Profile Name"))->text(), QStringLiteral("Arena"));
        rig.pick(QStringLiteral("Quest"));
        QCOMPARE(rig.field(QStringLiteral("Profile Name"))->text(), QStringLiteral("Arena"));
        QVERIFY(test::shownTexts(*rig.sheet).contains(QStringLiteral("quest")));  // the footer
        QVERIFY(rig.addButton()->isEnabled());
        rig.field(QStringLiteral("Profile Name"))->clear();
        QVERIFY(!rig.addButton()->isEnabled());
    }

    // A second profile for the same application is made all the same; Return adds.
    void addingAppendsAProfileForThePickedApplication() {
        Rig rig;
        rig.state.setProfiles({test::profile("OLD", "Arena", "ArenaGame")});
        rig.pick(QStringLiteral("Arena"));
        rig.field(QStringLiteral("Profile Name"))->setText(QStringLiteral("Arena Ranked"));
        QTest::keyClick(rig.field(QStringLiteral("Profile Name")), Qt::Key_Return);
        QCOMPARE(rig.sheet->result(), int{QDialog::Accepted});
        QCOMPARE(rig.state.profiles().size(), std::size_t{2});
        const GameProfile& added = rig.state.profiles().back();
        QCOMPARE(added.displayName, std::string("Arena Ranked"));
        QCOMPARE(added.bundleId, std::string("ArenaGame"));
        QVERIFY(added.mappings.empty() && added.isEnabled && !added.blockPressmint);
        rig.app.saveQueue.flush();
        QCOMPARE(rig.app.store.loadProfiles().size(), std::size_t{2});
    }

    void browsingAnInvalidBundleSaysSoAndChangesNothing() {
        Rig rig;
        rig.pick(QStringLiteral("Quest"));
        const QString broken = rig.desktop.path(QStringLiteral("Broken.app"));
        QVERIFY(QDir().mkpath(broken + QStringLiteral("/Contents")));
        rig.desktop.picker.next = broken;
        test::withText<QPushButton>(*rig.sheet, QStringLiteral("Can't find it? Browse…"))->click();
        auto* alert = rig.sheet->findChild<QMessageBox*>();
        QVERIFY(alert != nullptr);
        QCOMPARE(alert->windowTitle(), QStringLiteral("Couldn't Read App"));
        QCOMPARE(alert->text(),
                 QStringLiteral("Broken.app doesn't look like a valid macOS app bundle."));
        alert->button(QMessageBox::Ok)->click();
        QCOMPARE(rig.rows().size(), 3);
        QCOMPARE(rig.field(QStringLiteral("Profile Name"))->text(), QStringLiteral("Quest"));
    }

    // A browsed application already listed is selected, not listed twice; a
    // new one is added at the end.
    void browsingSelectsOrAddsTheApplication() {
        Rig rig;
        rig.desktop.picker.next =
            rig.desktop.path(QStringLiteral("data/applications/arena.desktop"));
        test::withText<QPushButton>(*rig.sheet, QStringLiteral("Can't find it? Browse…"))->click();
        QCOMPARE(rig.rows().size(), 3);
        QCOMPARE(rig.field(QStringLiteral("Profile Name"))->text(), QStringLiteral("Arena"));

        const QString elsewhere = rig.desktop.path(QStringLiteral("elsewhere/zork.desktop"));
        QVERIFY(test::FixtureDesktop::write(elsewhere,
                                            "[Desktop Entry]\nType=Application\nName=Zork\n"));
        rig.desktop.picker.next = elsewhere;
        test::withText<QPushButton>(*rig.sheet, QStringLiteral("Can't find it? Browse…"))->click();
        QCOMPARE(rig.rows().back(), QStringLiteral("Zork"));
        QVERIFY(test::shownTexts(*rig.sheet).contains(QStringLiteral("zork")));
    }

    // Chosen in advance, as for the application in front, before the list is in.
    void anApplicationCanBeChosenBeforeTheListArrives() {
        test::AppStateFixture app;
        test::FixtureDesktop desktop;
        QVERIFY(desktop.addGame(570, "Dota 2"));
        AddProfileSheet sheet(app.state(), desktop.apps, desktop.picker);
        sheet.choose(
            InstalledApp{QStringLiteral("steam_app_570"), QStringLiteral("steam_app_570"), {}});
        sheet.show();
        QTRY_VERIFY(test::withText<QPushButton>(sheet, QStringLiteral("Add Profile"))->isEnabled());
        QVERIFY(test::shownTexts(sheet).contains(QStringLiteral("Dota 2")));
    }

    void escapeCancels() {
        Rig rig;
        QTest::keyClick(rig.sheet.get(), Qt::Key_Escape);
        QCOMPARE(rig.sheet->result(), int{QDialog::Rejected});
        QVERIFY(!rig.sheet->isVisible());
    }
};

QTEST_MAIN(AddProfileSheetTest)
#include "AddProfileSheetTest.moc"
