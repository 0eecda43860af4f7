#include "ui/ListRow.h"

#include "ui/Style.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace thrumwise {

namespace {

constexpr int kVerticalPadding = 4;

}  // namespace

ListRow::ListRow(Look look, QObject* parent) : QStyledItemDelegate(parent), look_(look) {}

void ListRow::paint(QPainter* painter, const QStyleOptionViewItem& option,
                    const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    if (!look_.showsSelection) {
        background.state &= ~QStyle::State_Selected;
    }
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);

    const QRect area = option.rect.adjusted(look_.horizontalPadding, kVerticalPadding,
                                            -look_.horizontalPadding, -kVerticalPadding);
    const int size = look_.iconSize;
    const QRect iconRect(area.left(), area.center().y() - size / 2, size, size);
    painter->drawPixmap(iconRect, icon(index));

    const QPixmap trailing = mark(index);
    const int markSize = trailing.isNull() ? 0 : qRound(trailing.deviceIndependentSize().width());
    const bool isSelected = look_.showsSelection && (option.state & QStyle::State_Selected) != 0;
    const QColor nameColor =
        isSelected ? option.palette.color(QPalette::HighlightedText) : style::primary();
    QColor detailColor = isSelected ? nameColor : style::secondary();
    if (isSelected) {
        detailColor.setAlphaF(0.75F);
    }
    const QFont nameFont = style::font(style::TextStyle::body);
    const QFont detailFont = style::font(style::TextStyle::caption);
    const QFontMetrics nameMetrics(nameFont);
    const QFontMetrics detailMetrics(detailFont);
    const int textLeft = iconRect.right() + 1 + look_.spacing;
    const int textWidth = area.right() - textLeft - (markSize > 0 ? markSize + look_.spacing : 0);
    const int textHeight = nameMetrics.height() + look_.lineSpacing + detailMetrics.height();
    const int top = area.center().y() - textHeight / 2;

    painter->save();
    painter->setFont(nameFont);
    painter->setPen(nameColor);
    painter->drawText(
        QRect(textLeft, top, textWidth, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
        nameMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, textWidth));
    painter->setFont(detailFont);
    painter->setPen(detailColor);
    painter->drawText(QRect(textLeft, top + nameMetrics.height() + look_.lineSpacing, textWidth,
                            detailMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      detailMetrics.elidedText(detail(index), Qt::ElideMiddle, textWidth));
    if (markSize > 0) {
        painter->drawPixmap(
            QRect(area.right() - markSize, area.center().y() - markSize / 2, markSize, markSize),
            trailing);
    }
    painter->restore();
}

QSize ListRow::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& /*index*/) const {
    const int textHeight = QFontMetrics(style::font(style::TextStyle::body)).height() +
                           look_.lineSpacing +
                           QFontMetrics(style::font(style::TextStyle::caption)).height();
    return {option.rect.width(), std::max(look_.iconSize, textHeight) + 2 * kVerticalPadding + 4};
}

}  // namespace thrumwise
