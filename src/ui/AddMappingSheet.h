#pragma once

#include "model/KeyMapping.h"
#include "ui/MappingDraft.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace thrumwise {

class HapticTrigger;
class KeyCaptureView;

// The window-modal sheet in which one mapping of a profile is added or edited;
// show it with open(). It stores nothing: a finished mapping goes to `onSave`,
// at most once, after which the sheet closes itself. A trigger the profile
// already maps with the same modifiers is refused with a message.
class AddMappingSheet : public QDialog {
    Q_OBJECT

public:
    using SaveHandler = std::function<void(const KeyMapping&)>;

    // Edits `editingMapping` when given, else adds a mapping. `haptics` plays
    // "Test Pattern" and must outlive the sheet.
    AddMappingSheet(const std::optional<KeyMapping>& editingMapping,
                    std::vector<KeyMapping> existingMappings, HapticTrigger& haptics,
                    SaveHandler onSave, QWidget* parent = nullptr);

private:
    QWidget* buildForm();
    QWidget* buildTriggerSection(QWidget* parent);
    QWidget* buildModifierSection(QWidget* parent);
    QWidget* buildPatternSection(QWidget* parent);
    QWidget* buildHoldSection(QWidget* parent);
    QWidget* buildIntervalControls(QWidget* parent);
    QWidget* buildFooter(const QString& saveTitle);

    void setTriggerType(TriggerType type);
    // Shows the interval in the controls; the field keeps what is being typed into it.
    void showInterval(bool includingField);
    void setInterval(std::int64_t intervalMs);
    void saveMapping();

    MappingDraft draft_;
    const std::vector<KeyMapping> existingMappings_;
    HapticTrigger& haptics_;
    const SaveHandler onSave_;

    KeyCaptureView* keyCapture_ = nullptr;
    QWidget* mouseButtonRow_ = nullptr;
    QWidget* intervalControls_ = nullptr;
    QLineEdit* intervalField_ = nullptr;
    QSlider* intervalSlider_ = nullptr;
    QLabel* duplicateError_ = nullptr;
    QPushButton* saveButton_ = nullptr;
};

}  // namespace thrumwise
