#include "support/Widgets.h"

VIEW_SUITE(ProfileEditorViewTest)
// A mapping is edited in place; a new application keeps the mappings; edits go to
// this profile alone, and nowhere once it is deleted.
void editsAreWrittenToTheirProfileUntilItIsDeleted() {
    test::FixtureDesktop desktop;
    AppState& state = desktop.app.state();
    const GameProfile other = test::profile("OTHER", "Other", "other");
    std::vector mappings{test::keyMapping("M1", 0, "wave"), test::keyMapping("M2", 1, "knock")};
    state.setProfiles({test::profile("APEX", "Apex", "apex", mappings), other});
    ProfileEditorView editor(
        "APEX", [] {}, desktop.services());
    const std::vector<GameProfile>& profiles = state.profiles();
    test::child<QAbstractButton>(editor, u"Edit")->click();
    test::child<QAbstractButton>(*editor.findChild<AddMappingSheet*>(), u"⇧ Shift")->click();
    test::child<QAbstractButton>(*editor.findChild<AddMappingSheet*>(), u"Save Changes")->click();
    mappings[0].requiredModifiers = {ModifierKey::shift};
    QCOMPARE(profiles[0].mappings, mappings);

    QVERIFY(desktop.addEntry(u"dome.desktop"_s, "Dome", "DomeKeeper"));
    test::child<QAbstractButton>(editor, u"Change App")->click();
    auto* apps = editor.findChild<ChangeAppSheet*>();
    QTRY_COMPARE(apps->findChild<QListView*>()->model()->rowCount(), 1);
    QVERIFY(!test::child<QPushButton>(*apps, u"Select App")->isEnabled());
    test::clickRow(*apps->findChild<QListView*>(), 0);
    QTest::keyClick(apps, Qt::Key_Return);
    QVERIFY(profiles[0].bundleId == "DomeKeeper" && profiles[0].displayName == "Dome");
    QCOMPARE(profiles[0].mappings, mappings);
    auto* name = editor.findChild<QLineEdit*>();
    QTest::keyClicks(name, u" 2"_s);
    QVERIFY(profiles[0].displayName == "Dome 2" && profiles[1] == other);
    state.setActiveProfile(profiles[0]);  // the companion hears of the active one
    test::child<QAbstractButton>(editor, u"Block Pressmint")->click();
    QVERIFY(profiles[0].blockPressmint && state.activeProfile()->blockPressmint);
    QCOMPARE(desktop.app.blocklist.calls, std::vector<std::string>{"block DomeKeeper"});

    test::child<QAbstractButton>(editor, u"Duplicate")->click();
    const GameProfile copy = profiles.at(2);
    QVERIFY(copy.id != "APEX" && copy.displayName == "Dome 2 (Copy)" &&
            copy.bundleId == "DomeKeeper" && copy.blockPressmint);
    QVERIFY(copy.mappings.size() == 2 && copy.mappings[0].id != "M1" &&
            copy.mappings[0].requiredModifiers == mappings[0].requiredModifiers);
    for (const QStringView answer : {u"Cancel", u"Delete"}) {
        test::child<QAbstractButton>(editor, u"Delete")->click();
        const auto* alert = editor.findChild<QMessageBox*>();
        QVERIFY(alert->text().contains(u"\"Dome 2\"") && alert->textFormat() == Qt::PlainText);
        test::child<QAbstractButton>(*alert, answer)->click();
        QCOMPARE(profiles.size(), std::size_t{answer == u"Delete" ? 2U : 3U});
    }
    QTest::keyClicks(name, u"x"_s);
    QCOMPARE(profiles, (std::vector{other, copy}));
}
VIEW_SUITE_END(ProfileEditorViewTest)
#include "ProfileEditorViewTest.moc"
