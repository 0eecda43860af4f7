#include "support/FixtureDesktop.h"
#include "support/Widgets.h"
#include "ui/AddProfileSheet.h"

using namespace thrumwise;
using namespace Qt::StringLiterals;

namespace {

// An open sheet over a desktop with two applications and a Steam game.
struct Rig {
    test::AppStateFixture app;
    test::FixtureDesktop desktop;
    std::unique_ptr<AddProfileSheet> sheet;
    QListView* list = nullptr;

    Rig() {
        QVERIFY(desktop.addEntry(u"arena.desktop"_s, "Arena", "ArenaGame") &&
                desktop.addEntry(u"quest.desktop"_s, "Quest") && desktop.addGame(570, "Dota 2"));
        sheet = std::make_unique<AddProfileSheet>(app.state(), desktop.apps, desktop.picker);
        sheet->show();
        list = sheet->findChild<QListView*>();
        QTRY_COMPARE(list->model()->rowCount(), 3);
    }

    QStringList rows() const { return test::rowTexts(*list->model()); }
    void pick(const QString& name) const { test::clickRow(*list, rows().indexOf(name)); }
    QLineEdit* field(QStringView name) const { return test::child<QLineEdit>(*sheet, name); }
    QString profileName() const { return field(u"Profile Name")->text(); }
    bool canAdd() const { return test::child<QPushButton>(*sheet, u"Add Profile")->isEnabled(); }
    void browse(const QString& path) {
        desktop.picker.next = path;
        test::child<QPushButton>(*sheet, u"Can't find it? Browse…")->click();
    }
};

}  // namespace

class AddProfileSheetTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Name and identifier are searched in any letter case; the text is used as typed.
    void searchFindsNamesAndIdentifiers() {
        Rig rig;
        QCOMPARE(rig.rows(), (QStringList{u"Arena"_s, u"Dota 2"_s, u"Quest"_s}));
        const std::pair<QString, QStringList> searches[] = {
            {u"STEAM"_s, {u"Dota 2"_s}}, {u"arenagame"_s, {u"Arena"_s}}, {u" arena"_s, {}}};
        for (const auto& [text, rows] : searches) {
            rig.field(u"Search applications")->setText(text);
            QCOMPARE(rig.rows(), rows);
        }
    }

    // The first pick names the profile; a later pick keeps the name. A name
    // and an application are both needed. A second profile for the same
    // application is made all the same.
    void aPickNamesTheProfileOnlyWhileItHasNoName() {
        Rig rig;
        rig.app.state().setProfiles({test::profile("OLD", "Arena", "ArenaGame")});
        QVERIFY(!rig.canAdd());
        rig.pick(u"Quest"_s);
        rig.pick(u"Arena"_s);
        QCOMPARE(rig.profileName(), u"Quest"_s);
        rig.field(u"Profile Name")->clear();
        QVERIFY(!rig.canAdd());
        rig.pick(u"Arena"_s);
        QCOMPARE(rig.profileName(), u"Arena"_s);
        QTest::keyClicks(rig.field(u"Profile Name"), u" Ranked"_s);
        QTest::keyClick(rig.field(u"Profile Name"), Qt::Key_Return);
        QCOMPARE(rig.app.state().profiles().size(), std::size_t{2});
        const GameProfile& added = rig.app.state().profiles().back();
        QVERIFY(added.displayName == "Arena Ranked" && added.bundleId == "ArenaGame");
        QVERIFY(added.mappings.empty() && added.isEnabled && !added.blockPressmint);
    }

    // A browsed application already listed is selected, not listed twice; a
    // new one is added at the end; an unreadable one is refused.
    void browsingSelectsAddsOrRefusesTheApplication() {
        Rig rig;
        rig.browse(rig.desktop.path(u"data/applications/arena.desktop"_s));
        QCOMPARE(rig.rows().size(), 3);
        QCOMPARE(rig.profileName(), u"Arena"_s);

        const QString broken = rig.desktop.path(u"Broken.app"_s);
        QVERIFY(QDir().mkpath(broken + u"/Contents"_s));
        rig.browse(broken);
        rig.sheet->findChild<QMessageBox*>()->button(QMessageBox::Ok)->click();
        QCOMPARE(rig.rows().size(), 3);

        const QString zork = rig.desktop.path(u"elsewhere/zork.desktop"_s);
        QVERIFY(test::FixtureDesktop::write(zork, "[Desktop Entry]\nType=Application\nName=Zork"));
        rig.browse(zork);
        QCOMPARE(rig.rows().back(), u"Zork"_s);
        QVERIFY(test::shownTexts(*rig.sheet).contains(u"zork"_s));
    }
};

QTEST_MAIN(AddProfileSheetTest)
#include "AddProfileSheetTest.moc"
