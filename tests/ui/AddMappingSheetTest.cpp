#include "support/Widgets.h"

namespace {

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
    void click(QStringView name) const { test::child<QAbstractButton>(sheet, name)->click(); }
    void press(std::uint32_t evdev, int qtKey, const QString& text, bool armed = false) {
        if (armed) {
            sheet.findChild<KeyCaptureView*>()->startCapture();
        }
        test::pressKey(*(sheet.focusWidget() ? sheet.focusWidget() : &sheet), evdev, qtKey, text);
    }
    test::RecordingHaptics haptics;
    std::vector<KeyMapping> saved;
    AddMappingSheet sheet;
};

}  // namespace

VIEW_SUITE(AddMappingSheetTest)
// The interval field takes any integer, while stepper and slider keep to their range.
void addingStartsWithoutAKeyAndSavesOnlyTheChosenTrigger() {
    Rig rig;
    QVERIFY(!rig.saveButton()->isEnabled());
    rig.click(u"Mouse");
    QVERIFY(rig.saveButton()->isEnabled());
    rig.click(u"Keyboard");
    QVERIFY(!rig.saveButton()->isEnabled());
    rig.press(KEY_ESC, Qt::Key_Escape, u"\x1b"_s, true);  // an armed capture takes both
    rig.press(KEY_ENTER, Qt::Key_Return, u"\r"_s, true);
    rig.click(u"Mouse");  // the key survives a look at the mouse side
    rig.click(u"Keyboard");
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
    auto* pattern = test::child<QComboBox>(rig.sheet, u"Haptic Pattern");
    pattern->setCurrentIndex(pattern->findText(u"Interact 2"_s));
    rig.click(u"Test Pattern");  // plays it once, and saves nothing
    QVERIFY(rig.haptics.patterns == std::vector<std::string>{"knock"} && rig.saved.empty() &&
            rig.sheet.isVisible());
    QVERIFY(rig.saves() && !rig.sheet.isVisible() && !rig.saved[0].id.empty());
    KeyMapping expected = test::keyMapping(rig.saved[0].id, 36, "knock");
    expected.keyName = "Return";
    expected.holdRepeatIntervalMs = 5000;
    QCOMPARE(rig.saved[0], expected);
}

// A key mapping's stray button is no click; an edit is no duplicate of itself and
// keeps all, an unknown pattern too, but the press cooldown.
void onlyAnotherMappingWithTheSameTriggerAndModifiersIsRefused() {
    KeyMapping strayButton = test::keyMapping("A", 0, "knock");
    strayButton.mouseButton = MouseButton::right;
    const std::vector existing{
        strayButton, test::mouseMapping("R", MouseButton::right, "wave", {ModifierKey::control})};
    Rig key(existing);
    key.press(KEY_A, Qt::Key_A, u"a"_s, true);
    QVERIFY(!key.saves() && test::shownTexts(key.sheet).contains(
                                u"This trigger is already mapped in this profile."_s));
    key.press(KEY_ESC, Qt::Key_Escape, u"\x1b"_s);
    QVERIFY(!key.sheet.isVisible() && key.saved.empty());
    Rig click(existing);
    click.click(u"Mouse");
    click.click(u"⌃ Control");
    test::child<QComboBox>(click.sheet, u"Mouse Button")->setCurrentIndex(1);
    QVERIFY(!click.saves());
    click.click(u"⌃ Control");
    QVERIFY(click.saves());
    KeyMapping edited = test::keyMapping("EDITED", 12, "<b>rumble</b>", {ModifierKey::shift});
    edited.keyName = "Q";
    edited.cooldownMs = 250;
    edited.triggerOnHold = true;
    edited.holdRepeatIntervalMs = 160;
    Rig edit({edited}, edited);
    QVERIFY(edit.saves());
    edited.cooldownMs = 0;
    QCOMPARE(edit.saved[0], edited);
}

VIEW_SUITE_END(AddMappingSheetTest)
#include "AddMappingSheetTest.moc"
