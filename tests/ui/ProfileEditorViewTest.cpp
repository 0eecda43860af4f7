#include "support/AppStateFixture.h"
#include "support/FixtureDesktop.h"
#include "support/RecordingHaptics.h"
#include "support/SampleProfiles.h"
#include "support/Widgets.h"
#include "ui/AddMappingSheet.h"
#include "ui/AppIconLookup.h"
#include "ui/ChangeAppSheet.h"
#include "ui/ProfileEditorView.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace thrumwise;
using test::keyMapping;

namespace {

// An editor for Apex (two mappings) in a state that also holds Other.
struct Rig {
    test::AppStateFixture app;
    AppState& state = app.state();
    NoAppIcons icons;
    test::RecordingHaptics haptics;
    test::FixtureDesktop desktop;
    GameProfile apex = test::profile("APEX", "Apex", "apex",
                                     {keyMapping("M1", 0, "wave"), keyMapping("M2", 1, "knock")});
    GameProfile other = test::profile("OTHER", "Other", "other");
    int deletions = 0;
    std::unique_ptr<ProfileEditorView> editor;

    Rig() {
        state.setProfiles({apex, other});
        editor = std::make_unique<ProfileEditorView>(
            "APEX", [this] { ++deletions; },
            ViewServices{state, icons, haptics, desktop.apps, desktop.picker});
    }

    const GameProfile& stored(std::size_t index) const { return state.profiles().at(index); }
    std::vector<GameProfile> onDisk() {
        app.saveQueue.flush();
        return app.store.loadProfiles();
    }
    QPushButton* button(const QString& text) const {
        return test::withText<QPushButton>(*editor, text);
    }
    // Answers the delete alert with the button of that text.
    void answerDelete(const QString& answer) const {
        button(QStringLiteral("Delete"))->click();
        auto* alert = editor->findChild<QMessageBox*>();
        QVERIFY(alert != nullptr);
        QCOMPARE(alert->text(),
                 QStringLiteral("This will permanently delete \"Apex\" and all its mappings."));
        QCOMPARE(alert->textFormat(), Qt::PlainText);
        test::withText<QPushButton>(*alert, answer)->click();
    }
};

}  // namespace

class ProfileEditorViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every keystroke is written through and saved; updatedAt stays as it was.
    void typingANameSavesEachKeystroke() {
        Rig rig;
        auto* name = rig.editor->findChild<QLineEdit*>();
        QCOMPARE(name->text(), QStringLiteral("Apex"));
        QTest::keyClicks(name, QStringLiteral(" 2"));
        QCOMPARE(rig.stored(0).displayName, std::string("Apex 2"));
        QCOMPARE(rig.stored(0).updatedAt, rig.apex.updatedAt);
        QCOMPARE(rig.onDisk().at(0).displayName, std::string("Apex 2"));
        QCOMPARE(rig.stored(1), rig.other);
    }

    // The companion follows the switch for the active profile only.
    void theBlockSwitchIsWrittenAndTheActiveProfileFollows() {
        Rig rig;
        rig.state.setActiveProfile(rig.apex);
        auto* block = test::withText<QCheckBox>(*rig.editor, QStringLiteral("Block Pressmint"));
        block->click();
        block->click();
        QCOMPARE(rig.app.blocklist.calls, (std::vector<std::string>{"block apex", "unblock apex"}));
        QVERIFY(!rig.stored(0).blockPressmint);
        QVERIFY(!rig.state.activeProfile()->blockPressmint);
        QVERIFY(rig.app.handedToEngine.size() == 1);  // the engine keeps its copy
    }

    void deletingMappingsEndsInTheEmptyState() {
        Rig rig;
        QVERIFY(!test::shownTexts(*rig.editor).contains(QStringLiteral("No Mappings Yet")));
        for (int i = 0; i < 2; ++i) {
            for (auto* trash : rig.editor->findChildren<QToolButton*>()) {
                if (trash->isVisibleTo(rig.editor.get())) {
                    trash->click();
                    break;
                }
            }
        }
        QVERIFY(rig.stored(0).mappings.empty());
        QVERIFY(rig.onDisk().at(0).mappings.empty());
        QVERIFY(test::shownTexts(*rig.editor).contains(QStringLiteral("No Mappings Yet")));
    }

    void duplicateAppendsACopyWithNewIds() {
        Rig rig;
        rig.button(QStringLiteral("Duplicate"))->click();
        QCOMPARE(rig.state.profiles().size(), std::size_t{3});
        const GameProfile& copy = rig.stored(2);
        QCOMPARE(copy.displayName, std::string("Apex (Copy)"));
        QCOMPARE(copy.bundleId, rig.apex.bundleId);
        QVERIFY(copy.id != rig.apex.id);
        QCOMPARE(copy.mappings.size(), std::size_t{2});
        for (std::size_t i = 0; i < 2; ++i) {
            KeyMapping sameId = copy.mappings[i];
            QVERIFY(sameId.id != rig.apex.mappings[i].id);
            sameId.id = rig.apex.mappings[i].id;
            QCOMPARE(sameId, rig.apex.mappings[i]);
        }
        QCOMPARE(rig.onDisk().size(), std::size_t{3});
    }

    void deleteAsksFirstAndCancelKeepsTheProfile() {
        Rig rig;
        rig.answerDelete(QStringLiteral("Cancel"));
        QCOMPARE(rig.state.profiles().size(), std::size_t{2});
        QCOMPARE(rig.deletions, 0);
        rig.answerDelete(QStringLiteral("Delete"));
        QCOMPARE(rig.state.profiles(), std::vector<GameProfile>{rig.other});
        QCOMPARE(rig.deletions, 1);
    }

    // An edited mapping keeps its place; a new one goes to the end.
    void theMappingSheetEditsInPlaceAndAddsAtTheEnd() {
        Rig rig;
        const auto sheetButton = [&rig](const QString& text) {
            auto* sheet = rig.editor->findChild<AddMappingSheet*>();
            return sheet != nullptr ? test::withText<QAbstractButton>(*sheet, text) : nullptr;
        };
        rig.button(QStringLiteral("Edit"))->click();
        sheetButton(QStringLiteral("⇧ Shift"))->click();
        sheetButton(QStringLiteral("Save Changes"))->click();
        const auto& edited = rig.stored(0).mappings;
        QCOMPARE(edited.size(), std::size_t{2});
        QCOMPARE(edited[0].id, std::string("M1"));
        QCOMPARE(edited[0].requiredModifiers, std::vector<ModifierKey>{ModifierKey::shift});

        QTRY_VERIFY(rig.editor->findChild<AddMappingSheet*>() == nullptr);
        rig.button(QStringLiteral("Add Mapping"))->click();
        sheetButton(QStringLiteral("Mouse"))->click();
        sheetButton(QStringLiteral("Add Mapping"))->click();
        const auto& added = rig.stored(0).mappings;
        QCOMPARE(added.size(), std::size_t{3});
        QCOMPARE(added[2].triggerType, TriggerType::mouse);
        QCOMPARE(rig.onDisk().at(0).mappings.size(), std::size_t{3});
    }

    // The profile takes the picked application and its name; the rest stays.
    // Nothing can be chosen before an application is picked.
    void changeAppRetargetsTheProfile() {
        Rig rig;
        QVERIFY(rig.desktop.addEntry(QStringLiteral("dome.desktop"), "Dome Keeper", "DomeKeeper"));
        rig.button(QStringLiteral("Change App"))->click();
        auto* sheet = rig.editor->findChild<ChangeAppSheet*>();
        auto* list = sheet->findChild<QListView*>();
        QTRY_COMPARE(list->model()->rowCount(), 1);
        QVERIFY(!test::withText<QPushButton>(*sheet, QStringLiteral("Select App"))->isEnabled());
        test::clickRow(*list, 0);
        QTest::keyClick(sheet, Qt::Key_Return);
        QCOMPARE(rig.stored(0).bundleId, std::string("DomeKeeper"));
        QCOMPARE(rig.stored(0).displayName, std::string("Dome Keeper"));
        QCOMPARE(rig.stored(0).mappings, rig.apex.mappings);
    }

    // With its profile gone, the editor shows a placeholder and writes nothing.
    void editsOfAProfileThatIsGoneAreDropped() {
        Rig rig;
        rig.state.setProfiles({rig.other});
        auto* name = rig.editor->findChild<QLineEdit*>();
        QCOMPARE(name->text(), QString());
        QTest::keyClicks(name, QStringLiteral("x"));
        QCOMPARE(rig.state.profiles(), std::vector<GameProfile>{rig.other});
    }
};

QTEST_MAIN(ProfileEditorViewTest)
#include "ProfileEditorViewTest.moc"
