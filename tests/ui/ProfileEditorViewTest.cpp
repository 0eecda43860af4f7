#include "support/FixtureDesktop.h"
#include "support/RecordingHaptics.h"
#include "support/Widgets.h"
#include "ui/AddMappingSheet.h"
#include "ui/AppIconLookup.h"
#include "ui/ChangeAppSheet.h"
#include "ui/ProfileEditorView.h"

namespace {

// An editor for Apex (two mappings) in a state that also holds Other.
struct Rig {
    test::AppStateFixture app;
    AppState& state = app.state();
    NoAppIcons icons;
    test::RecordingHaptics haptics;
    test::FixtureDesktop desktop;
    GameProfile apex =
        test::profile("APEX", "Apex", "apex",
                      {test::keyMapping("M1", 0, "wave"), test::keyMapping("M2", 1, "knock")});
    GameProfile other = test::profile("OTHER", "Other", "other");
    int deletions = 0;
    std::optional<ProfileEditorView> editor;

    Rig() {
        state.setProfiles({apex, other});
        editor.emplace(
            "APEX", [this] { ++deletions; },
            ViewServices{state, icons, haptics, desktop.apps, desktop.picker});
    }
    const GameProfile& stored() const { return state.profiles().front(); }
    void click(QStringView text, const QWidget* in = nullptr) const {
        test::child<QAbstractButton>(in != nullptr ? *in : *editor, text)->click();
    }
    AddMappingSheet* sheet() const { return editor->findChild<AddMappingSheet*>(); }
};

}  // namespace

class ProfileEditorViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void duplicateAndDelete() {
        Rig rig;
        rig.click(u"Duplicate");
        GameProfile copy = rig.state.profiles().at(2);
        QVERIFY(copy.id != "APEX" && copy.displayName == "Apex (Copy)" && copy.bundleId == "apex");
        for (std::size_t i = 0; i < 2; ++i) {
            QVERIFY(copy.mappings.at(i).id != rig.apex.mappings[i].id);
            copy.mappings[i].id = rig.apex.mappings[i].id;
        }
        QCOMPARE(copy.mappings, rig.apex.mappings);

        for (const QStringView answer : {u"Cancel", u"Delete"}) {
            rig.click(u"Delete");
            const auto* alert = rig.editor->findChild<QMessageBox*>();
            QVERIFY(alert->text().contains(u"\"Apex\"") && alert->textFormat() == Qt::PlainText);
            rig.click(answer, alert);
            QCOMPARE(rig.state.profiles().size(), std::size_t{answer == u"Delete" ? 2U : 3U});
        }
        QVERIFY(rig.stored() == rig.other && rig.deletions == 1);
    }

    // A mapping is edited in place and added at the end; a new application keeps them.
    void editsAreWrittenToTheirProfile() {
        Rig rig;
        auto* name = rig.editor->findChild<QLineEdit*>();
        rig.click(u"Edit");
        rig.click(u"⇧ Shift", rig.sheet());
        rig.click(u"Save Changes", rig.sheet());
        QCOMPARE(rig.stored().mappings.at(0).requiredModifiers, std::vector{ModifierKey::shift});
        QTRY_VERIFY(rig.sheet() == nullptr);
        rig.click(u"Add Mapping");
        rig.click(u"Mouse", rig.sheet());
        rig.click(u"Add Mapping", rig.sheet());
        QCOMPARE(rig.stored().mappings.size(), std::size_t{3});
        QCOMPARE(rig.stored().mappings[2].triggerType, TriggerType::mouse);

        const std::vector<KeyMapping> mappings = rig.stored().mappings;
        QVERIFY(rig.desktop.addEntry(QStringLiteral("dome.desktop"), "Dome Keeper", "DomeKeeper"));
        rig.click(u"Change App");
        auto* sheet = rig.editor->findChild<ChangeAppSheet*>();
        auto* list = sheet->findChild<QListView*>();
        QTRY_COMPARE(list->model()->rowCount(), 1);
        QVERIFY(!test::child<QPushButton>(*sheet, u"Select App")->isEnabled());
        test::clickRow(*list, 0);
        QTest::keyClick(sheet, Qt::Key_Return);
        QVERIFY(rig.stored().bundleId == "DomeKeeper" && rig.stored().displayName == "Dome Keeper");
        QCOMPARE(rig.stored().mappings, mappings);
        // Typed edits go to this profile alone, and nowhere once it is gone.
        QTest::keyClicks(name, u" 2"_s);
        QVERIFY(rig.stored().displayName == "Dome Keeper 2" &&
                rig.stored().updatedAt == rig.apex.updatedAt);
        QCOMPARE(rig.state.profiles().at(1), rig.other);
        rig.state.setActiveProfile(rig.stored());  // the companion hears of the active one
        rig.click(u"Block Pressmint");
        QVERIFY(rig.stored().blockPressmint && rig.state.activeProfile()->blockPressmint);
        QCOMPARE(rig.app.blocklist.calls, std::vector<std::string>{"block DomeKeeper"});
        rig.state.setProfiles({rig.other});
        QTest::keyClicks(name, u"x"_s);
        QCOMPARE(rig.state.profiles(), std::vector{rig.other});
    }
};

QTEST_MAIN(ProfileEditorViewTest)
#include "ProfileEditorViewTest.moc"
