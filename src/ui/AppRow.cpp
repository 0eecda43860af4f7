#include "ui/AppRow.h"

#include "ui/AppIconLookup.h"
#include "ui/AppListModel.h"
#include "ui/Style.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace thrumwise {

namespace {

constexpr int kVerticalPadding = 4;
constexpr int kHorizontalPadding = 10;
constexpr int kSpacing = 10;
constexpr int kCheckSize = 18;

}  // namespace

AppRow::AppRow(AppIconLookup& icons, QObject* parent)
    : QStyledItemDelegate(parent), icons_(icons) {}

void AppRow::paint(QPainter* painter, const QStyleOptionViewItem& option,
                   const QModelIndex& index) const {
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    background.state &= ~QStyle::State_Selected;  // the check mark says it
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &background, painter, widget);

    const QRect area = option.rect.adjusted(kHorizontalPadding, kVerticalPadding,
                                            -kHorizontalPadding, -kVerticalPadding);
    const QString bundleId = index.data(AppListModel::BundleIdRole).toString();
    const QRect iconRect(area.left(), area.center().y() - iconSize / 2, iconSize, iconSize);
    const QIcon icon = icons_.iconFor(bundleId.toStdString());
    if (icon.isNull()) {
        painter->drawPixmap(
            iconRect, style::symbol(QStringLiteral("app.fill"), iconSize, style::secondary()));
    } else {
        icon.paint(painter, iconRect);
    }

    const bool isSelected = index.data(AppListModel::IsSelectedRole).toBool();
    const int checkSpace = isSelected ? kCheckSize + kSpacing : 0;
    const QFont nameFont = style::font(style::TextStyle::body);
    const QFont idFont = style::font(style::TextStyle::caption);
    const QFontMetrics nameMetrics(nameFont);
    const QFontMetrics idMetrics(idFont);
    const int textLeft = iconRect.right() + 1 + kSpacing;
    const int textWidth = area.right() - textLeft - checkSpace;
    const int top = area.center().y() - (nameMetrics.height() + idMetrics.height()) / 2;

    painter->save();
    painter->setFont(nameFont);
    painter->setPen(style::primary());
    painter->drawText(
        QRect(textLeft, top, textWidth, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
        nameMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, textWidth));
    painter->setFont(idFont);
    painter->setPen(style::secondary());
    painter->drawText(QRect(textLeft, top + nameMetrics.height(), textWidth, idMetrics.height()),
                      Qt::AlignLeft | Qt::AlignVCenter,
                      idMetrics.elidedText(bundleId, Qt::ElideMiddle, textWidth));
    if (isSelected) {
        painter->drawPixmap(
            QRect(area.right() - kCheckSize, area.center().y() - kCheckSize / 2, kCheckSize,
                  kCheckSize),
            style::symbol(QStringLiteral("checkmark.circle.fill"), kCheckSize, style::accent()));
    }
    painter->restore();
}

QSize AppRow::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& /*index*/) const {
    const int textHeight = QFontMetrics(style::font(style::TextStyle::body)).height() +
                           QFontMetrics(style::font(style::TextStyle::caption)).height();
    return {option.rect.width(), std::max(iconSize, textHeight) + 2 * kVerticalPadding + 4};
}

}  // namespace thrumwise
