#include "ui/ProfileRow.h"

#include "ui/AppIconView.h"
#include "ui/ProfileListModel.h"
#include "ui/Style.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace thrumwise {

namespace {

constexpr int kVerticalPadding = 4;
constexpr int kHorizontalPadding = 8;
constexpr int kSpacing = 8;
constexpr int kLineSpacing = 2;

}  // namespace

ProfileRow::ProfileRow(AppIconLookup& icons, QObject* parent)
    : QStyledItemDelegate(parent), icons_(icons) {}

void ProfileRow::paint(QPainter* painter, const QStyleOptionViewItem& option,
                       const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);

    const QRect area = option.rect.adjusted(kHorizontalPadding, kVerticalPadding,
                                            -kHorizontalPadding, -kVerticalPadding);
    const QString bundleId = index.data(ProfileListModel::BundleIdRole).toString();
    const QRect iconRect(area.left(), area.center().y() - iconSize / 2, iconSize, iconSize);
    painter->drawPixmap(iconRect, appIconPixmap(icons_, bundleId.toStdString(), iconSize));

    const bool isSelected = (option.state & QStyle::State_Selected) != 0;
    const QColor nameColor =
        isSelected ? option.palette.color(QPalette::HighlightedText) : style::primary();
    QColor countColor = isSelected ? nameColor : style::secondary();
    if (isSelected) {
        countColor.setAlphaF(0.75F);
    }
    const QFont nameFont = style::font(style::TextStyle::body);
    const QFont countFont = style::font(style::TextStyle::caption);
    const QFontMetrics nameMetrics(nameFont);
    const QFontMetrics countMetrics(countFont);
    const int textLeft = iconRect.right() + 1 + kSpacing;
    const int textWidth = area.right() - textLeft;
    const int textHeight = nameMetrics.height() + kLineSpacing + countMetrics.height();
    const int top = area.center().y() - textHeight / 2;

    painter->save();
    painter->setFont(nameFont);
    painter->setPen(nameColor);
    painter->drawText(
        QRect(textLeft, top, textWidth, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
        nameMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, textWidth));
    painter->setFont(countFont);
    painter->setPen(countColor);
    const auto count = index.data(ProfileListModel::MappingCountRole).toULongLong();
    painter->drawText(QRect(textLeft, top + nameMetrics.height() + kLineSpacing, textWidth,
                            countMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter, ProfileListModel::mappingCountText(count));
    painter->restore();
}

QSize ProfileRow::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& /*index*/) const {
    const int textHeight = QFontMetrics(style::font(style::TextStyle::body)).height() +
                           kLineSpacing +
                           QFontMetrics(style::font(style::TextStyle::caption)).height();
    return {option.rect.width(), std::max(iconSize, textHeight) + 2 * kVerticalPadding + 4};
}

}  // namespace thrumwise
