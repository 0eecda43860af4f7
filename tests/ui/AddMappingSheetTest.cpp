#include "support/KeyPresses.h"
#include "support/RecordingHaptics.h"
#include "support/SampleProfiles.h"
#include "ui/AddMappingSheet.h"
#include "ui/KeyCaptureView.h"

#include <algorithm>
#include <linux/input-event-codes.h>
#include <type_traits>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

using namespace thrumwise;
using namespace Qt::StringLiterals;
using test::Key;

namespace {

constexpr Key kA{KEY_A, Qt::Key_A, u"a"};
constexpr Key kS{KEY_S, Qt::Key_S, u"s"};
constexpr Key kEscape{KEY_ESC, Qt::Key_Escape, u"\x1b"};
constexpr Key kReturn{KEY_ENTER, Qt::Key_Return, u"\r"};

constexpr QStringView kShift = u"\u21E7 Shift";
constexpr QStringView kControl = u"\u2303 Control";
constexpr QStringView kCommand = u"\u2318 Command";

// An open sheet over a window, and what it saved.
struct Rig {
    explicit Rig(std::vector<KeyMapping> existing = {},
                 const std::optional<KeyMapping>& edited = {})
        : sheet(
              edited, std::move(existing), haptics,
              [this](const KeyMapping& mapping) { saved.push_back(mapping); }, &window) {
        window.show();
        sheet.open();
    }

    // The control with this accessible name, or with this text for a button.
    template <typename Widget>
    Widget* control(QStringView name) const {
        for (auto* widget : sheet.findChildren<Widget*>()) {
            bool isNamed = widget->accessibleName() == name;
            if constexpr (std::is_base_of_v<QAbstractButton, Widget>) {
                isNamed = isNamed || widget->text() == name;
            }
            if (isNamed) {
                return widget;
            }
        }
        qFatal("no control named %s", qPrintable(name.toString()));
    }
    bool isOn(QStringView name) const { return control<QAbstractButton>(name)->isChecked(); }
    bool isShown(const QWidget* widget) const { return widget->isVisibleTo(&sheet); }
    QPushButton* saveButton() const {
        const auto buttons = sheet.findChildren<QPushButton*>();
        return *std::find_if(buttons.begin(), buttons.end(),
                             [](const QPushButton* button) { return button->isDefault(); });
    }
    KeyCaptureView* keyCapture() const { return sheet.findChild<KeyCaptureView*>(); }
    bool showsDuplicateError() const {
        const auto labels = sheet.findChildren<QLabel*>();
        return std::any_of(labels.begin(), labels.end(), [this](const QLabel* label) {
            return isShown(label) &&
                   label->text() == u"This trigger is already mapped in this profile."_s;
        });
    }

    // Near the leading edge, where a check box's box and text are.
    void click(QAbstractButton* button) const {
        const QPoint leading(std::min(10, button->width() / 2), button->height() / 2);
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, leading);
    }
    void click(QStringView name) const { click(control<QAbstractButton>(name)); }
    void press(const Key& key) {
        QWidget* focus = sheet.focusWidget();
        test::pressKey(focus != nullptr ? *focus : sheet, key);
    }
    void capture(const Key& key) {
        keyCapture()->startCapture();
        press(key);
    }
    void save() const { click(saveButton()); }
    void typeInterval(const QString& text) const {
        auto* field = control<QLineEdit>(u"Cooldown");
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    QString shownInterval() const { return control<QLineEdit>(u"Cooldown")->text(); }

    QWidget window;
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
        QCOMPARE(rig.sheet.windowTitle(), u"Add Mapping"_s);
        QVERIFY(rig.isOn(u"Keyboard") && !rig.isOn(kShift) && !rig.isOn(kCommand));
        QVERIFY(!rig.isOn(u"Trigger on Hold") &&
                !rig.isShown(rig.control<QSlider>(u"Cooldown Slider")));
        QCOMPARE(rig.control<QComboBox>(u"Haptic Pattern")->currentText(), u"Recoil 1"_s);

        QVERIFY(!rig.saveButton()->isEnabled());
        rig.click(u"Mouse");
        QVERIFY(rig.saveButton()->isEnabled() && !rig.isShown(rig.keyCapture()));
        QCOMPARE(rig.control<QComboBox>(u"Mouse Button")->currentText(), u"Left Click"_s);
        rig.click(u"Keyboard");
        QVERIFY(!rig.saveButton()->isEnabled());
        rig.capture(kA);
        rig.click(u"Mouse");  // the key survives a look at the mouse side
        rig.click(u"Keyboard");
        QVERIFY(rig.saveButton()->isEnabled());
        rig.save();

        QCOMPARE(rig.saved.size(), std::size_t{1});
        const KeyMapping& saved = rig.saved.front();
        QVERIFY(!saved.id.empty());
        KeyMapping expected = test::keyMapping(saved.id, 0, "sharp_collision");
        expected.keyName = "A";
        QCOMPARE(saved, expected);
        QCOMPARE(rig.sheet.result(), int{QDialog::Accepted});
        QVERIFY(!rig.sheet.isVisible());
    }

    void editingWithoutChangesKeepsTheMappingButItsPressCooldown() {
        KeyMapping edited =
            test::keyMapping("EDITED", 12, "wave", {ModifierKey::command, ModifierKey::shift});
        edited.keyName = "Q";
        edited.cooldownMs = 250;
        edited.triggerOnHold = true;
        edited.holdRepeatIntervalMs = 160;
        Rig rig({test::keyMapping("OTHER", 0, "knock"), edited}, edited);
        QCOMPARE(rig.sheet.windowTitle(), u"Edit Mapping"_s);
        QVERIFY(rig.isOn(kShift) && rig.isOn(kCommand) && !rig.isOn(kControl));
        QCOMPARE(rig.shownInterval(), rig.sheet.locale().toString(160));

        rig.save();
        KeyMapping saved = rig.saved.at(0);
        QCOMPARE(saved.cooldownMs, std::int64_t{0});
        QCOMPARE(saved.requiredModifierSet(), edited.requiredModifierSet());
        saved.cooldownMs = edited.cooldownMs;
        saved.requiredModifiers = edited.requiredModifiers;
        QCOMPARE(saved, edited);
    }

    void theSameKeyIsRefusedOnlyWithTheSameModifiers() {
        KeyMapping plainA = test::keyMapping("A", 0, "knock");
        plainA.keyName = "a";  // names play no part
        const std::vector existing{plainA,
                                   test::keyMapping("SHIFT-COMMAND-S", 1, "wave",
                                                    {ModifierKey::command, ModifierKey::shift})};
        Rig rig(existing);
        rig.capture(kA);
        rig.save();
        QVERIFY(rig.showsDuplicateError() && rig.saved.empty() && rig.sheet.isVisible());
        rig.click(kShift);
        rig.save();
        QCOMPARE(rig.saved.size(), std::size_t{1});

        Rig other(existing);
        QVERIFY(!other.showsDuplicateError());
        other.capture(kS);
        other.click(kShift);
        other.click(kCommand);
        other.save();
        QVERIFY(other.showsDuplicateError());
        other.click(kCommand);
        other.save();
        QCOMPARE(other.saved.at(0).requiredModifiers, std::vector{ModifierKey::shift});

        Rig otherKey(existing);
        otherKey.capture(kS);
        otherKey.save();
        QCOMPARE(otherKey.saved.size(), std::size_t{1});
    }

    void aClickIsRefusedOnlyOnTheSameButtonWithTheSameModifiers() {
        KeyMapping withoutButton = test::mouseMapping("NO-BUTTON", MouseButton::left, "knock");
        withoutButton.mouseButton.reset();
        KeyMapping keyWithStrayButton = test::keyMapping("STRAY", 0, "knock");
        keyWithStrayButton.mouseButton = MouseButton::left;
        const std::vector existing{
            withoutButton, keyWithStrayButton,
            test::mouseMapping("CONTROL-LEFT", MouseButton::left, "wave", {ModifierKey::control})};

        Rig plain(existing);
        plain.click(u"Mouse");
        plain.save();
        QCOMPARE(plain.saved.size(), std::size_t{1});

        Rig withControl(existing);
        withControl.click(u"Mouse");
        withControl.click(kControl);
        withControl.save();
        QVERIFY(withControl.showsDuplicateError());
        withControl.control<QComboBox>(u"Mouse Button")->setCurrentIndex(1);
        withControl.save();
        QCOMPARE(withControl.saved.at(0).mouseButton, std::optional(MouseButton::right));

        // An edited mouse mapping without a button opens on the left one.
        Rig edited(existing, withoutButton);
        QVERIFY(edited.isOn(u"Mouse"));
        edited.save();
        QCOMPARE(edited.saved.at(0).mouseButton, std::optional(MouseButton::left));
    }

    void theIntervalFieldTakesAnyIntegerWhileStepperAndSliderKeepToTheirRange() {
        Rig rig;
        rig.click(u"Mouse");
        rig.click(u"Trigger on Hold");
        auto* slider = rig.control<QSlider>(u"Cooldown Slider");
        QVERIFY(rig.isShown(slider));
        rig.typeInterval(u"5000"_s);
        QCOMPARE(slider->value(), slider->maximum());
        rig.click(u"Increase Cooldown");
        QCOMPARE(rig.shownInterval(), rig.sheet.locale().toString(2000));
        rig.typeInterval(u"5000"_s);
        rig.click(u"Decrease Cooldown");
        QCOMPARE(rig.shownInterval(), rig.sheet.locale().toString(1990));
        rig.typeInterval(u"5000"_s);
        QTest::keyClicks(rig.control<QLineEdit>(u"Cooldown"), u"x"_s);  // no number: ignored
        rig.save();
        QCOMPARE(rig.saved.at(0).holdRepeatIntervalMs, std::int64_t{5000});

        Rig slid;
        slid.click(u"Mouse");
        slid.click(u"Trigger on Hold");
        slid.typeInterval(u"5000"_s);
        slid.control<QSlider>(u"Cooldown Slider")->triggerAction(QSlider::SliderSingleStepSub);
        QCOMPARE(slid.shownInterval(), slid.sheet.locale().toString(1990));
        slid.click(u"Trigger on Hold");  // the interval is kept with hold off
        slid.save();
        QCOMPARE(slid.saved.at(0).holdRepeatIntervalMs, std::int64_t{1990});
        QVERIFY(!slid.saved.at(0).triggerOnHold);
    }

    void escapeAndReturnAreCapturedWhileArmedAndCloseTheSheetOtherwise() {
        Rig rig;
        rig.capture(kEscape);
        QCOMPARE(rig.keyCapture()->keyName(), std::optional<std::string>("Escape"));
        rig.capture(kReturn);
        QVERIFY(rig.sheet.isVisible() && rig.saved.empty());
        rig.press(kReturn);
        QCOMPARE(rig.saved.size(), std::size_t{1});
        QCOMPARE(rig.saved.at(0).keyCode, std::optional<std::uint16_t>(36));
        QVERIFY(!rig.sheet.isVisible());

        Rig cancelled;
        cancelled.capture(kA);
        cancelled.press(kEscape);
        QVERIFY(!cancelled.sheet.isVisible() && cancelled.saved.empty());
        QCOMPARE(cancelled.sheet.result(), int{QDialog::Rejected});
    }

    void aPatternOutsideTheCatalogueIsKeptAsItIs() {
        const KeyMapping edited = test::keyMapping("EDITED", 0, "<b>rumble</b>");
        Rig rig({edited}, edited);
        QCOMPARE(rig.control<QComboBox>(u"Haptic Pattern")->currentText(), u"<b>rumble</b>"_s);
        rig.click(kShift);
        rig.save();
        QCOMPARE(rig.saved.at(0).hapticPattern, std::string("<b>rumble</b>"));
    }

    void testPatternPlaysTheSelectedPatternOnceAndSavesNothing() {
        Rig rig;
        auto* picker = rig.control<QComboBox>(u"Haptic Pattern");
        picker->setCurrentIndex(picker->findText(u"Interact 2"_s));
        rig.click(u"Test Pattern");
        QCOMPARE(rig.haptics.patterns, std::vector<std::string>{"knock"});
        QVERIFY(rig.sheet.isVisible() && rig.saved.empty());
    }
};

QTEST_MAIN(AddMappingSheetTest)
#include "AddMappingSheetTest.moc"
