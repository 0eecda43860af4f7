#include "ui/PatternPicker.h"

#include "haptics/HapticPattern.h"
#include "ui/Style.h"

#include <string_view>

#include <QPainter>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace thrumwise {

namespace {

constexpr int kIdRole = Qt::UserRole;
// The description doubles as what screen readers say about the entry.
constexpr int kDescriptionRole = Qt::AccessibleDescriptionRole;

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString describedSuffix(const QString& description) {
    return description.isEmpty() ? QString() : QStringLiteral(" \u2013 ") + description;
}

// The name, then the en dash and description in a quieter colour, cut short
// with an ellipsis when the room runs out.
void drawChoice(QPainter& painter, const QRect& room, const QString& name,
                const QString& description, const QColor& nameColor) {
    const QFontMetrics metrics = painter.fontMetrics();
    const QString shownName = metrics.elidedText(name, Qt::ElideRight, room.width());
    painter.setPen(nameColor);
    painter.drawText(room, Qt::AlignLeft | Qt::AlignVCenter, shownName);
    const int nameWidth = metrics.horizontalAdvance(shownName);
    const QRect rest = room.adjusted(nameWidth, 0, 0, 0);
    if (rest.width() <= 0) {
        return;
    }
    QColor quieter = nameColor;
    quieter.setAlphaF(style::secondary().alphaF());
    painter.setPen(quieter);
    painter.drawText(
        rest, Qt::AlignLeft | Qt::AlignVCenter,
        metrics.elidedText(describedSuffix(description), Qt::ElideRight, rest.width()));
}

// Draws the list's entries like the closed picker, with room around each.
class PatternDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem item(option);
        initStyleOption(&item, index);
        const QString name = item.text;
        item.text.clear();
        const QStyle* style = item.widget->style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
        const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &item, item.widget)
                               .adjusted(kPadding, 0, -kPadding, 0);
        const bool isSelected = (item.state & QStyle::State_Selected) != 0;
        painter->save();
        painter->setFont(item.font);
        drawChoice(*painter, room, name, index.data(kDescriptionRole).toString(),
                   item.palette.color(isSelected ? QPalette::HighlightedText : QPalette::Text));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QString suffix = describedSuffix(index.data(kDescriptionRole).toString());
        size.rwidth() += option.fontMetrics.horizontalAdvance(suffix) + 2 * kPadding;
        size.rheight() += kPadding;
        return size;
    }

private:
    static constexpr int kPadding = 6;
};

}  // namespace

PatternPicker::PatternPicker(const std::string& selected, QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new PatternDelegate(this));
    for (const HapticPattern& pattern : HapticPattern::allPatterns()) {
        addItem(text(pattern.displayName), text(pattern.id));
        setItemData(count() - 1, text(pattern.description), kDescriptionRole);
    }
    const QString selectedId = QString::fromStdString(selected);
    if (findData(selectedId) < 0) {
        addItem(selectedId, selectedId);
    }
    setCurrentIndex(findData(selectedId));
}

std::string PatternPicker::selectedPattern() const {
    return currentData(kIdRole).toString().toStdString();
}

void PatternPicker::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    drawChoice(painter, field.adjusted(2, 0, -2, 0), currentText(),
               currentData(kDescriptionRole).toString(), palette().color(QPalette::ButtonText));
}

}  // namespace thrumwise
