#include "ui/SettingsView.h"

#include "haptics/HapticPattern.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace thrumwise {

namespace {

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// A switch that always shows `value`, whatever the user clicks.
QCheckBox* fixedSwitch(const QString& label, bool value, QWidget* parent) {
    auto* box = new QCheckBox(label, parent);
    box->setChecked(value);
    QObject::connect(box, &QCheckBox::toggled, box, [box, value] { box->setChecked(value); });
    return box;
}

QComboBox* fixedPatternChoice(QWidget* parent) {
    auto* choice = new QComboBox(parent);
    for (const HapticPattern& pattern : HapticPattern::allPatterns()) {
        choice->addItem(text(pattern.displayName), text(pattern.name));
    }
    const int fixedIndex = choice->findData(QStringLiteral("sharp_collision"));
    choice->setCurrentIndex(fixedIndex);
    QObject::connect(choice, &QComboBox::currentIndexChanged, choice,
                     [choice, fixedIndex] { choice->setCurrentIndex(fixedIndex); });
    return choice;
}

}  // namespace

SettingsView::SettingsView(QWidget* parent) : QWidget(parent) {
    setFixedSize(400, 300);
    auto* layout = new QVBoxLayout(this);

    auto* general = new QGroupBox(tr("General"), this);
    auto* generalForm = new QFormLayout(general);
    generalForm->addRow(fixedSwitch(tr("Launch at Login"), false, general));
    generalForm->addRow(fixedSwitch(tr("Show in Menu Bar"), true, general));
    layout->addWidget(general);

    auto* haptics = new QGroupBox(tr("Haptics"), this);
    auto* hapticsForm = new QFormLayout(haptics);
    hapticsForm->addRow(tr("Default Pattern"), fixedPatternChoice(haptics));
    layout->addWidget(haptics);

    layout->addStretch();
}

}  // namespace thrumwise
