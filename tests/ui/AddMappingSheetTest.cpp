#include "support/Widgets.h"

namespace {

constexpr test::Key kEscape{KEY_ESC, Qt::Key_Escape, u"\x1b"};

struct Rig {
    explicit Rig(std::vector<KeyMapping> existing = {}, std::optional<KeyMapping> edited = {})
        : sheet(edited, std::move(existing), haptics,
                [this](const KeyMapping& mapping) { saved.push_back(mapping); }) {
        sheet.open();
    }

    QPushButton* saveButton() const {
        const auto buttons = sheet.findChildren<QPushButton*>();
        return *std::ranges::find_if(buttons, &QPushButton::isDefault);
    }
    bool saves() {
        saveButton()->click();
        return saved.size() == 1;
    }
    // Near the leading edge, where a check box's box and text are.
    void click(QStringView name) const {
        auto* button = test::child<QAbstractButton>(sheet, name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    }
    void press(const test::Key& key) {
        test::pressKey(sheet.focusWidget() != nullptr ? *sheet.focusWidget() : sheet, key);
    }
    void capture(const test::Key& key) {
        sheet.findChild<KeyCaptureView*>()->startCapture();
        press(key);
    }

    test::RecordingHaptics haptics;
    std::vector<KeyMapping> saved;
    AddMappingSheet sheet;
};

}  // namespace

class AddMappingSheetTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addingStartsWithoutAKeyAndSavesOnlyTheChosenTrigger() {
        Rig rig;
        QVERIFY(!rig.saveButton()->isEnabled());
        rig.click(u"Mouse");
        QVERIFY(rig.saveButton()->isEnabled());
        rig.click(u"Keyboard");
        QVERIFY(!rig.saveButton()->isEnabled());
        rig.capture(kEscape);  // an armed capture takes Escape and Return, not the sheet
        rig.capture({KEY_ENTER, Qt::Key_Return, u"\r"});
        rig.click(u"Mouse");  // the key survives a look at the mouse side
        rig.click(u"Keyboard");
        auto* pattern = test::child<QComboBox>(rig.sheet, u"Haptic Pattern");
        pattern->setCurrentIndex(pattern->findText(u"Interact 2"_s));
        rig.click(u"Test Pattern");  // plays it once, and saves nothing
        QVERIFY(rig.haptics.patterns == std::vector<std::string>{"knock"} && rig.saved.empty() &&
                rig.sheet.isVisible());
        QVERIFY(rig.saves() && !rig.sheet.isVisible() && !rig.saved[0].id.empty());
        KeyMapping expected = test::keyMapping(rig.saved[0].id, 36, "knock");
        expected.keyName = "Return";
        QCOMPARE(rig.saved[0], expected);
    }

    // All is kept, an unknown pattern too, but the press cooldown.
    void editingWithoutChangesKeepsTheMappingButItsPressCooldown() {
        KeyMapping edited = test::keyMapping("EDITED", 12, "<b>rumble</b>", {ModifierKey::shift});
        edited.keyName = "Q";
        edited.cooldownMs = 250;
        edited.triggerOnHold = true;
        edited.holdRepeatIntervalMs = 160;
        Rig rig({edited}, edited);
        QVERIFY(rig.saves());
        edited.cooldownMs = 0;
        QCOMPARE(rig.saved[0], edited);
    }

    // A key mapping's stray button is no click.
    void aTriggerIsRefusedOnlyWithTheSameModifiers() {
        KeyMapping strayButton = test::keyMapping("A", 0, "knock");
        strayButton.mouseButton = MouseButton::right;
        const std::vector existing{strayButton, test::mouseMapping("R", MouseButton::right, "wave",
                                                                   {ModifierKey::control})};
        Rig key(existing);
        key.capture({KEY_A, Qt::Key_A, u"a"});
        QVERIFY(!key.saves() && test::shownTexts(key.sheet).contains(
                                    u"This trigger is already mapped in this profile."_s));
        key.press(kEscape);
        QVERIFY(!key.sheet.isVisible() && key.saved.empty());
        Rig click(existing);
        click.click(u"Mouse");
        click.click(u"⌃ Control");
        test::child<QComboBox>(click.sheet, u"Mouse Button")->setCurrentIndex(1);
        QVERIFY(!click.saves());
        click.click(u"⌃ Control");
        QVERIFY(click.saves());
    }

    void theIntervalFieldTakesAnyIntegerWhileStepperAndSliderKeepToTheirRange() {
        Rig rig;
        rig.click(u"Mouse");
        rig.click(u"Trigger on Hold");
        auto* field = test::child<QLineEdit>(rig.sheet, u"Cooldown");
        auto* slider = test::child<QSlider>(rig.sheet, u"Cooldown Slider");
        const std::pair<std::function<void()>, int> steps[] = {
            {[&rig] { rig.click(u"Increase Cooldown"); }, 2000},
            {[&rig] { rig.click(u"Decrease Cooldown"); }, 1990},
            {[slider] { slider->triggerAction(QSlider::SliderSingleStepSub); }, 1990}};
        for (const auto& [step, shown] : steps) {
            field->selectAll();
            QTest::keyClicks(field, u"5000"_s);
            step();
            QCOMPARE(field->text(), rig.sheet.locale().toString(shown));
        }
        field->selectAll();
        QTest::keyClicks(field, u"5000x"_s);  // "5000x" is no number: 5000 stays
        rig.click(u"Trigger on Hold");        // the interval is kept with hold off
        QVERIFY(rig.saves() && !rig.saved[0].triggerOnHold);
        QCOMPARE(rig.saved[0].holdRepeatIntervalMs, std::int64_t{5000});
    }
};

QTEST_MAIN(AddMappingSheetTest)
#include "AddMappingSheetTest.moc"
