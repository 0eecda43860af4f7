#include "support/Widgets.h"

VIEW_SUITE(AddProfileSheetTest)
// Name and identifier are searched in any letter case, the text as typed; a
// pick names the profile only while it has no name, and a second profile for
// the same application is made all the same.
void searchBrowsingAndAPickMakeTheProfile() {
    test::FixtureDesktop desktop;
    QVERIFY(desktop.addEntry(u"arena.desktop"_s, "Arena", "ArenaGame") &&
            desktop.addEntry(u"quest.desktop"_s, "Quest"));
    desktop.app.state().setProfiles({test::profile("OLD", "Arena", "ArenaGame")});
    AddProfileSheet sheet(desktop.app.state(), desktop.apps, desktop);
    sheet.show();
    auto& list = *sheet.findChild<QListView*>();
    const QAbstractItemModel& model = *list.model();
    QTRY_COMPARE(model.rowCount(), 2);
    auto* search = test::child<QLineEdit>(sheet, u"Search applications");
    search->setText(u"arenagame"_s);
    QCOMPARE(test::rowTexts(model), QStringList{u"Arena"_s});
    search->setText(u" arena"_s);
    QCOMPARE(model.rowCount(), 0);
    search->clear();
    const auto browse = [&](const QString& file) {
        desktop.next = desktop.path(u"data/applications/"_s + file);
        test::child<QPushButton>(sheet, u"Can't find it? Browse…")->click();
    };
    QVERIFY(desktop.addEntry(u"zork.desktop"_s, "Zork"));  // after the scan: not listed
    browse(u"zork.desktop"_s);
    QVERIFY(test::rowTexts(model).back() == u"Zork" && test::shownTexts(sheet).contains(u"zork"_s));
    auto* name = test::child<QLineEdit>(sheet, u"Profile Name");
    auto* add = test::child<QPushButton>(sheet, u"Add Profile");
    test::clickRow(list, 0);
    QCOMPARE(name->text(), u"Zork"_s);
    name->clear();
    QVERIFY(!add->isEnabled());
    QVERIFY(QDir().mkpath(desktop.path(u"Broken.app/Contents"_s)));
    browse(u"../../Broken.app"_s);  // refused: the bundle holds nothing
    sheet.findChild<QMessageBox*>()->button(QMessageBox::Ok)->click();
    browse(u"arena.desktop"_s);
    QVERIFY(model.rowCount() == 3 && name->text() == u"Arena");
    QTest::keyClicks(name, u" Ranked"_s);
    QTest::keyClick(name, Qt::Key_Return);
    const GameProfile& added = desktop.app.state().profiles().back();
    QVERIFY(desktop.app.state().profiles().size() == 2 && added.mappings.empty());
    QVERIFY(added.displayName == "Arena Ranked" && added.bundleId == "ArenaGame");
}
VIEW_SUITE_END(AddProfileSheetTest)
#include "AddProfileSheetTest.moc"
