#include "ui/MappingRow.h"

#include "haptics/HapticPattern.h"
#include "ui/MappingColumnHeader.h"
#include "ui/Style.h"

#include <algorithm>

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace thrumwise {

namespace {

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString shortLabel(ModifierKey modifier) {
    switch (modifier) {
        case ModifierKey::shift:
            return QStringLiteral("⇧ Shift");
        case ModifierKey::control:
            return QStringLiteral("⌃ Ctrl");
        case ModifierKey::option:
            return QStringLiteral("⌥ Opt");
        case ModifierKey::command:
            return QStringLiteral("⌘ Cmd");
    }
    return {};
}

// A cell of the column's width; its content keeps to the leading edge.
QWidget* cell(QWidget* content, int column, QWidget* parent) {
    auto* frame = new QWidget(parent);
    frame->setFixedWidth(MappingColumnHeader::columnWidths.at(static_cast<std::size_t>(column)));
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content, 0, Qt::AlignLeft | Qt::AlignVCenter);
    return frame;
}

QString rgba(const QColor& color, double alpha) {
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(alpha);
}

}  // namespace

QString MappingRow::triggerLabel(const KeyMapping& mapping) {
    if (mapping.triggerType == TriggerType::mouse) {
        if (!mapping.mouseButton) {
            return tr("Mouse");
        }
        return *mapping.mouseButton == MouseButton::right ? tr("Right Click") : tr("Left Click");
    }
    if (mapping.keyName) {
        return QString::fromStdString(*mapping.keyName);
    }
    return QStringLiteral("Key ") + QString::number(mapping.keyCode.value_or(0));
}

QString MappingRow::modifierSummary(const KeyMapping& mapping) {
    std::vector<ModifierKey> modifiers = mapping.requiredModifiers;
    std::sort(modifiers.begin(), modifiers.end(),
              [](ModifierKey a, ModifierKey b) { return rawValue(a) < rawValue(b); });
    QStringList labels;
    for (const ModifierKey modifier : modifiers) {
        labels << shortLabel(modifier);
    }
    return labels.join(QStringLiteral("  "));
}

QString MappingRow::patternName(const KeyMapping& mapping) {
    const auto pattern = HapticPattern::find(mapping.hapticPattern);
    return pattern ? text(pattern->displayName) : QString::fromStdString(mapping.hapticPattern);
}

MappingRow::MappingRow(const KeyMapping& mapping, std::function<void()> onEdit,
                       std::function<void()> onDelete, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 4, 12, 4);
    layout->setSpacing(MappingColumnHeader::columnSpacing);

    auto* trigger = style::plainLabel(triggerLabel(mapping), this);
    trigger->setFont(style::font(style::TextStyle::body, style::Weight::bold));
    trigger->setStyleSheet(QStringLiteral("QLabel { background: %1; border-radius: 6px; "
                                          "padding: 3px 8px; }")
                               .arg(rgba(style::accent(), 0.12)));
    layout->addWidget(cell(trigger, 0, this));

    auto* pattern = style::plainLabel(patternName(mapping), this);
    layout->addWidget(cell(pattern, 1, this));

    auto* modifiers = style::plainLabel(modifierSummary(mapping), this);
    style::apply(*modifiers, style::TextStyle::body, style::secondary());
    layout->addWidget(cell(modifiers, 2, this));

    auto* hold = new QLabel(mapping.triggerOnHold ? tr("Active") : QString(), this);
    style::apply(*hold, style::TextStyle::body, style::accent());
    layout->addWidget(cell(hold, 3, this));

    auto* interval = new QLabel(
        mapping.triggerOnHold ? QString::number(mapping.holdRepeatIntervalMs) + QStringLiteral("ms")
                              : QString(),
        this);
    style::apply(*interval, style::TextStyle::body, style::secondary());
    layout->addWidget(cell(interval, 4, this));

    layout->addStretch();
    auto* separator = style::divider(this, Qt::Vertical);
    separator->setFixedHeight(24);
    layout->addWidget(separator);

    auto* edit = new QPushButton(tr("Edit"), this);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(edit->text()) + 24);
    edit->setAccessibleName(tr("Edit %1").arg(triggerLabel(mapping)));
    connect(edit, &QPushButton::clicked, this, [onEdit = std::move(onEdit)] { onEdit(); });
    layout->addWidget(edit);

    auto* remove = new QToolButton(this);
    remove->setAutoRaise(true);
    remove->setIcon(style::symbol(QStringLiteral("trash"), 16, style::negative()));
    remove->setIconSize(QSize(16, 16));
    remove->setToolTip(tr("Delete mapping"));
    remove->setAccessibleName(tr("Delete %1").arg(triggerLabel(mapping)));
    remove->setStyleSheet(QStringLiteral("QToolButton { margin-left: 4px; }"));
    connect(remove, &QToolButton::clicked, this, [onDelete = std::move(onDelete)] { onDelete(); });
    layout->addWidget(remove);
}

}  // namespace thrumwise
