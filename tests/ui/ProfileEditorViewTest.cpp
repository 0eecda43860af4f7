#include "support/Widgets.h"

namespace {

// An editor for Apex (two mappings) in a state that also holds Other.
struct Rig {
    test::FixtureDesktop desktop;
    AppState& state = desktop.app.state();
    GameProfile apex =
        test::profile("APEX", "Apex", "apex",
                      {test::keyMapping("M1", 0, "wave"), test::keyMapping("M2", 1, "knock")});
    GameProfile other = test::profile("OTHER", "Other", "other");
    std::optional<ProfileEditorView> editor;

    Rig() {
        state.setProfiles({apex, other});
        editor.emplace(
            "APEX", [] {}, desktop.services());
    }
    const GameProfile& stored() const { return state.profiles().front(); }
    void click(QStringView text, const QWidget* in = nullptr) const {
        test::child<QAbstractButton>(in != nullptr ? *in : *editor, text)->click();
    }
};

}  // namespace

class ProfileEditorViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void duplicateAndDelete() {
        Rig rig;
        rig.click(u"Duplicate");
        const GameProfile& copy = rig.state.profiles().at(2);
        QVERIFY(copy.id != "APEX" && copy.displayName == "Apex (Copy)" && copy.bundleId == "apex");
        QVERIFY(copy.mappings.size() == 2 && copy.mappings[0].id != "M1" &&
                copy.mappings[1].hapticPattern == "knock");
        for (const QStringView answer : {u"Cancel", u"Delete"}) {
            rig.click(u"Delete");
            const auto* alert = rig.editor->findChild<QMessageBox*>();
            QVERIFY(alert->text().contains(u"\"Apex\"") && alert->textFormat() == Qt::PlainText);
            rig.click(answer, alert);
            QCOMPARE(rig.state.profiles().size(), std::size_t{answer == u"Delete" ? 2U : 3U});
        }
    }

    // A mapping is edited in place; a new application keeps the mappings; typed
    // edits go to this profile alone, and nowhere once it is gone.
    void editsAreWrittenToTheirProfile() {
        Rig rig;
        rig.click(u"Edit");
        const auto* sheet = rig.editor->findChild<AddMappingSheet*>();
        rig.click(u"⇧ Shift", sheet);
        rig.click(u"Save Changes", sheet);
        std::vector<KeyMapping> mappings = rig.apex.mappings;
        mappings[0].requiredModifiers = {ModifierKey::shift};
        QCOMPARE(rig.stored().mappings, mappings);

        QVERIFY(rig.desktop.addEntry(u"dome.desktop"_s, "Dome Keeper", "DomeKeeper"));
        rig.click(u"Change App");
        auto* apps = rig.editor->findChild<ChangeAppSheet*>();
        QTRY_COMPARE(apps->findChild<QListView*>()->model()->rowCount(), 1);
        QVERIFY(!test::child<QPushButton>(*apps, u"Select App")->isEnabled());
        test::clickRow(*apps->findChild<QListView*>(), 0);
        QTest::keyClick(apps, Qt::Key_Return);
        QVERIFY(rig.stored().bundleId == "DomeKeeper" && rig.stored().displayName == "Dome Keeper");
        QCOMPARE(rig.stored().mappings, mappings);
        auto* name = rig.editor->findChild<QLineEdit*>();
        QTest::keyClicks(name, u" 2"_s);
        QVERIFY(rig.stored().displayName == "Dome Keeper 2" &&
                rig.state.profiles()[1] == rig.other);
        rig.state.setActiveProfile(rig.stored());  // the companion hears of the active one
        rig.click(u"Block Pressmint");
        QVERIFY(rig.stored().blockPressmint && rig.state.activeProfile()->blockPressmint);
        QCOMPARE(rig.desktop.app.blocklist.calls, std::vector<std::string>{"block DomeKeeper"});
        rig.state.setProfiles({rig.other});
        QTest::keyClicks(name, u"x"_s);
        QCOMPARE(rig.state.profiles(), std::vector{rig.other});
    }
};

QTEST_MAIN(ProfileEditorViewTest)
#include "ProfileEditorViewTest.moc"
