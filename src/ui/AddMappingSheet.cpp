#include "ui/AddMappingSheet.h"

#include "haptics/HapticTrigger.h"
#include "ui/KeyCaptureView.h"
#include "ui/Layouts.h"
#include "ui/PatternPicker.h"
#include "ui/SheetParts.h"
#include "ui/Style.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace thrumwise {

namespace {

// The stepper and the slider keep the interval to this range; the field does not.
constexpr std::int64_t kIntervalMinMs = 0;
constexpr std::int64_t kIntervalMaxMs = 2000;
constexpr std::int64_t kIntervalStepMs = 10;

QString modifierLabel(ModifierKey modifier) {
    switch (modifier) {
        case ModifierKey::shift:
            return QStringLiteral("\u21E7 Shift");
        case ModifierKey::control:
            return QStringLiteral("\u2303 Control");
        case ModifierKey::option:
            return QStringLiteral("\u2325 Option");
        case ModifierKey::command:
            return QStringLiteral("\u2318 Command");
    }
    return {};
}

QFrame* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Mid));
    line->setPalette(palette);
    return line;
}

struct FormGroup {
    QFrame* frame;
    QVBoxLayout* rows;
};

// Rows on a rounded panel a shade darker than the window, as a grouped form
// shows them, so that fields on it stand out.
FormGroup formGroup(QWidget* parent) {
    auto* group = new QFrame(parent);
    group->setObjectName(QStringLiteral("formGroup"));
    QColor fill = group->palette().color(QPalette::WindowText);
    fill.setAlphaF(0.04F);
    QColor border = fill;
    border.setAlphaF(0.12F);
    group->setStyleSheet(QStringLiteral("#formGroup { background-color: %1; border: 1px solid %2; "
                                        "border-radius: 8px; }")
                             .arg(fill.name(QColor::HexArgb), border.name(QColor::HexArgb)));
    auto* rows = new QVBoxLayout(group);
    rows->setContentsMargins(12, 10, 12, 10);
    rows->setSpacing(10);
    return {group, rows};
}

// A label on the leading side and its control on the trailing side, or in
// all the room after the label when `fill` is set; the label also names the
// control for screen readers.
QWidget* labelledRow(const QString& label, QWidget* control, QWidget* parent, bool fill = false) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* name = new QLabel(label, row);
    name->setBuddy(control);
    layout->addWidget(name);
    layout->addStretch();
    control->setAccessibleName(label);
    layout->addWidget(control, fill ? 1 : 0);
    return row;
}

}  // namespace

AddMappingSheet::AddMappingSheet(const std::optional<KeyMapping>& editingMapping,
                                 std::vector<KeyMapping> existingMappings, HapticTrigger& haptics,
                                 SaveHandler onSave, QWidget* parent)
    : QDialog(parent),
      draft_(MappingDraft::startingFrom(editingMapping)),
      existingMappings_(std::move(existingMappings)),
      haptics_(haptics),
      onSave_(std::move(onSave)) {
    const bool isEditing = editingMapping.has_value();
    const QString title = isEditing ? tr("Edit Mapping") : tr("Add Mapping");
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setFixedSize(500, 600);

    auto* column = tightColumn(this, 0);
    column->addWidget(sheetHeader(*this, title));
    column->addWidget(divider(this));
    column->addWidget(buildForm(), 1);
    column->addWidget(divider(this));
    column->addWidget(buildFooter(isEditing ? tr("Save Changes") : tr("Add Mapping")));

    setTriggerType(draft_.triggerType);
    intervalControls_->setVisible(draft_.triggerOnHold);
    showInterval(true);
}

QWidget* AddMappingSheet::buildForm() {
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* form = new QWidget(scroll);
    auto* sections = new QVBoxLayout(form);
    sections->setContentsMargins(20, 16, 20, 16);
    sections->setSpacing(14);
    sections->addWidget(buildTriggerSection(form));
    sections->addWidget(buildModifierSection(form));
    sections->addWidget(buildPatternSection(form));
    sections->addWidget(buildHoldSection(form));

    duplicateError_ = new QLabel(form);
    duplicateError_->setTextFormat(Qt::PlainText);
    duplicateError_->setWordWrap(true);
    style::apply(*duplicateError_, style::TextStyle::caption, style::negative());
    duplicateError_->hide();
    sections->addWidget(duplicateError_);
    sections->addStretch();

    scroll->setWidget(form);
    return scroll;
}

QWidget* AddMappingSheet::buildTriggerSection(QWidget* parent) {
    const auto [group, rows] = formGroup(parent);

    auto* segments = new QWidget(group);
    auto* segmentRow = tightRow(segments, 0);
    auto* choice = new QButtonGroup(segments);
    for (TriggerType type : allCases<TriggerType>()) {
        QPushButton* segment =
            sheetButton(type == TriggerType::keyboard ? tr("Keyboard") : tr("Mouse"), segments);
        segment->setCheckable(true);
        segment->setChecked(draft_.triggerType == type);
        choice->addButton(segment, static_cast<int>(type));
        segmentRow->addWidget(segment);
    }
    connect(choice, &QButtonGroup::idToggled, this, [this](int id, bool isOn) {
        if (isOn) {
            setTriggerType(static_cast<TriggerType>(id));
        }
    });
    rows->addWidget(labelledRow(tr("Trigger Type"), segments, group));

    keyCapture_ = new KeyCaptureView(group);
    keyCapture_->setKey(draft_.keyCode, draft_.keyName);
    connect(keyCapture_, &KeyCaptureView::keyChanged, this, [this] {
        draft_.keyCode = keyCapture_->keyCode();
        draft_.keyName = keyCapture_->keyName();
        saveButton_->setEnabled(draft_.canSave());
    });
    rows->addWidget(keyCapture_);

    auto* mouseButton = new QComboBox(group);
    const auto buttons = allCases<MouseButton>();
    for (MouseButton candidate : buttons) {
        mouseButton->addItem(candidate == MouseButton::left ? tr("Left Click") : tr("Right Click"));
    }
    mouseButton->setCurrentIndex(static_cast<int>(
        std::find(buttons.begin(), buttons.end(), draft_.mouseButton) - buttons.begin()));
    connect(mouseButton, &QComboBox::currentIndexChanged, this, [this, buttons](int index) {
        draft_.mouseButton = buttons.at(static_cast<std::size_t>(index));
    });
    mouseButtonRow_ = labelledRow(tr("Mouse Button"), mouseButton, group);
    rows->addWidget(mouseButtonRow_);
    return group;
}

QWidget* AddMappingSheet::buildModifierSection(QWidget* parent) {
    auto* section = new QWidget(parent);
    auto* column = tightColumn(section, 6);
    auto* title = new QLabel(tr("Required Modifiers"), section);
    style::apply(*title, style::TextStyle::subheadline, style::secondary());
    column->addWidget(title);

    const auto [group, rows] = formGroup(section);
    auto* toggles = new QHBoxLayout;
    toggles->setSpacing(6);
    for (ModifierKey modifier : allCases<ModifierKey>()) {
        QPushButton* toggle = sheetButton(modifierLabel(modifier), group);
        toggle->setCheckable(true);
        toggle->setChecked(draft_.modifiers.contains(modifier));
        connect(toggle, &QPushButton::toggled, this, [this, modifier](bool isOn) {
            if (isOn) {
                draft_.modifiers.insert(modifier);
            } else {
                draft_.modifiers.remove(modifier);
            }
        });
        toggles->addWidget(toggle);
    }
    toggles->addStretch();
    rows->addLayout(toggles);
    column->addWidget(group);
    return section;
}

QWidget* AddMappingSheet::buildPatternSection(QWidget* parent) {
    const auto [group, rows] = formGroup(parent);
    auto* picker = new PatternPicker(draft_.pattern, group);
    connect(picker, &QComboBox::currentIndexChanged, this,
            [this, picker] { draft_.pattern = picker->selectedPattern(); });
    rows->addWidget(labelledRow(tr("Haptic Pattern"), picker, group, true));

    QPushButton* test = sheetButton(tr("Test Pattern"), group);
    // The outcome is not shown: the sheet is no place for the plug-in's state.
    connect(test, &QPushButton::clicked, this, [this] { haptics_.trigger(draft_.pattern, {}); });
    rows->addWidget(test, 0, Qt::AlignLeft);
    return group;
}

QWidget* AddMappingSheet::buildHoldSection(QWidget* parent) {
    const auto [group, rows] = formGroup(parent);
    auto* hold = new QCheckBox(tr("Trigger on Hold"), group);
    hold->setChecked(draft_.triggerOnHold);
    connect(hold, &QCheckBox::toggled, this, [this](bool isOn) {
        draft_.triggerOnHold = isOn;
        intervalControls_->setVisible(isOn);
    });
    rows->addWidget(hold);
    intervalControls_ = buildIntervalControls(group);
    rows->addWidget(intervalControls_);
    return group;
}

// The hold repeat interval, labelled "Cooldown": a field that takes any
// integer, and a stepper and a slider that keep to 0 to 2000 ms in steps of 10.
QWidget* AddMappingSheet::buildIntervalControls(QWidget* parent) {
    auto* controls = new QWidget(parent);
    auto* column = tightColumn(controls, 6);

    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(new QLabel(tr("Cooldown"), controls));
    row->addStretch();
    intervalField_ = new QLineEdit(controls);
    intervalField_->setAccessibleName(tr("Cooldown"));
    intervalField_->setFixedWidth(58);
    intervalField_->setAlignment(Qt::AlignRight);
    connect(intervalField_, &QLineEdit::textEdited, this, [this](const QString& text) {
        bool isNumber = false;
        const qlonglong typed = locale().toLongLong(text, &isNumber);
        if (isNumber) {
            draft_.holdRepeatIntervalMs = typed;
            showInterval(false);
        }
    });
    // Text that is no number gives way to the value when editing ends.
    connect(intervalField_, &QLineEdit::editingFinished, this, [this] { showInterval(true); });
    row->addWidget(intervalField_);

    auto* stepper = new QVBoxLayout;
    stepper->setSpacing(0);
    for (const auto& [arrow, name, delta] :
         {std::tuple{Qt::UpArrow, tr("Increase Cooldown"), kIntervalStepMs},
          std::tuple{Qt::DownArrow, tr("Decrease Cooldown"), -kIntervalStepMs}}) {
        auto* step = new QToolButton(controls);
        step->setArrowType(arrow);
        step->setAccessibleName(name);
        step->setAutoRepeat(true);
        step->setFixedSize(18, 12);
        connect(step, &QToolButton::clicked, this, [this, delta = delta] {
            const std::int64_t inRange =
                std::clamp(draft_.holdRepeatIntervalMs, kIntervalMinMs, kIntervalMaxMs);
            setInterval(std::clamp(inRange + delta, kIntervalMinMs, kIntervalMaxMs));
        });
        stepper->addWidget(step);
    }
    row->addLayout(stepper);
    auto* unit = new QLabel(tr("ms"), controls);
    style::apply(*unit, style::TextStyle::body, style::secondary());
    row->addWidget(unit);
    column->addLayout(row);

    intervalSlider_ = new QSlider(Qt::Horizontal, controls);
    intervalSlider_->setAccessibleName(tr("Cooldown Slider"));
    // One slider unit is one step of 10 ms.
    intervalSlider_->setRange(0, static_cast<int>(kIntervalMaxMs / kIntervalStepMs));
    intervalSlider_->setPageStep(10);
    connect(intervalSlider_, &QSlider::valueChanged, this,
            [this](int steps) { setInterval(steps * kIntervalStepMs); });
    column->addWidget(intervalSlider_);
    return controls;
}

QWidget* AddMappingSheet::buildFooter(const QString& saveTitle) {
    auto* footer = new QWidget(this);
    auto* row = new QHBoxLayout(footer);
    row->setContentsMargins(16, 12, 16, 12);
    row->addStretch();
    // Escape cancels through the dialog itself.
    auto* cancel = sheetButton(tr("Cancel"), footer);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    row->addWidget(cancel);
    saveButton_ = prominentButton(saveTitle, footer);
    connect(saveButton_, &QPushButton::clicked, this, &AddMappingSheet::saveMapping);
    row->addWidget(saveButton_);
    return footer;
}

void AddMappingSheet::setTriggerType(TriggerType type) {
    draft_.triggerType = type;
    keyCapture_->setVisible(type == TriggerType::keyboard);
    mouseButtonRow_->setVisible(type == TriggerType::mouse);
    saveButton_->setEnabled(draft_.canSave());
}

void AddMappingSheet::showInterval(bool includingField) {
    if (includingField) {
        intervalField_->setText(
            locale().toString(static_cast<qlonglong>(draft_.holdRepeatIntervalMs)));
    }
    const QSignalBlocker quiet(intervalSlider_);
    const std::int64_t inRange =
        std::clamp(draft_.holdRepeatIntervalMs, kIntervalMinMs, kIntervalMaxMs);
    intervalSlider_->setValue(static_cast<int>(inRange / kIntervalStepMs));
}

void AddMappingSheet::setInterval(std::int64_t intervalMs) {
    draft_.holdRepeatIntervalMs = intervalMs;
    showInterval(true);
}

void AddMappingSheet::saveMapping() {
    if (draft_.duplicatesAny(existingMappings_)) {
        duplicateError_->setText(tr("This trigger is already mapped in this profile."));
        duplicateError_->show();
        return;
    }
    onSave_(draft_.toMapping());
    accept();
}

}  // namespace thrumwise
