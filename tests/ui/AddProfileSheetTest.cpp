#include "support/FixtureDesktop.h"
#include "support/Widgets.h"
#include "ui/AddProfileSheet.h"

namespace {

struct Rig {
    test::AppStateFixture app;
    test::FixtureDesktop desktop;
    std::optional<AddProfileSheet> sheet;

    Rig() {
        QVERIFY(desktop.addEntry(u"arena.desktop"_s, "Arena", "ArenaGame") &&
                desktop.addEntry(u"quest.desktop"_s, "Quest") && desktop.addGame(570, "Dota 2"));
        sheet.emplace(app.state(), desktop.apps, desktop.picker);
        sheet->show();
        QTRY_COMPARE(rows().size(), 3);
    }
    QListView& list() const { return *sheet->findChild<QListView*>(); }
    QStringList rows() const { return test::rowTexts(*list().model()); }
    void pick(const QString& name) const { test::clickRow(list(), rows().indexOf(name)); }
    QLineEdit* field(QStringView name) const { return test::child<QLineEdit>(*sheet, name); }
    void browse(const QString& path) {
        desktop.picker.next = path;
        test::child<QPushButton>(*sheet, u"Can't find it? Browse…")->click();
    }
};

}  // namespace

class AddProfileSheetTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A second profile for the same application is made all the same.
    void aPickNamesTheProfileOnlyWhileItHasNoName() {
        Rig rig;
        rig.app.state().setProfiles({test::profile("OLD", "Arena", "ArenaGame")});
        auto* add = test::child<QPushButton>(*rig.sheet, u"Add Profile");
        QVERIFY(!add->isEnabled());
        rig.pick(u"Quest"_s);
        rig.pick(u"Arena"_s);
        QCOMPARE(rig.field(u"Profile Name")->text(), u"Quest"_s);
        rig.field(u"Profile Name")->clear();
        QVERIFY(!add->isEnabled());
        rig.pick(u"Arena"_s);
        QTest::keyClicks(rig.field(u"Profile Name"), u" Ranked"_s);
        QTest::keyClick(rig.field(u"Profile Name"), Qt::Key_Return);
        const GameProfile& added = rig.app.state().profiles().back();
        QVERIFY(rig.app.state().profiles().size() == 2 && added.mappings.empty());
        QVERIFY(added.displayName == "Arena Ranked" && added.bundleId == "ArenaGame");
    }

    // Name and identifier are searched in any letter case; the text is used as typed.
    void searchAndBrowsingFindTheApplication() {
        Rig rig;
        const std::pair<QString, QStringList> searches[] = {
            {u"STEAM"_s, {u"Dota 2"_s}}, {u"arenagame"_s, {u"Arena"_s}}, {u" arena"_s, {}}};
        for (const auto& [text, rows] : searches) {
            rig.field(u"Search applications")->setText(text);
            QCOMPARE(rig.rows(), rows);
        }
        rig.field(u"Search applications")->clear();
        rig.browse(rig.desktop.path(u"data/applications/arena.desktop"_s));
        QVERIFY(rig.rows().size() == 3 && rig.field(u"Profile Name")->text() == u"Arena");
        QVERIFY(QDir().mkpath(rig.desktop.path(u"Broken.app/Contents"_s)));
        rig.browse(rig.desktop.path(u"Broken.app"_s));
        rig.sheet->findChild<QMessageBox*>()->button(QMessageBox::Ok)->click();
        QCOMPARE(rig.rows().size(), 3);
        const QString zork = rig.desktop.path(u"elsewhere/zork.desktop"_s);
        QVERIFY(test::FixtureDesktop::write(zork, "[Desktop Entry]\nType=Application\nName=Zork"));
        rig.browse(zork);
        QVERIFY(rig.rows().back() == u"Zork" && test::shownTexts(*rig.sheet).contains(u"zork"_s));
    }
};

QTEST_MAIN(AddProfileSheetTest)
#include "AddProfileSheetTest.moc"
