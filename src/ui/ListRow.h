#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

namespace thrumwise {

// The look the lists of applications and profiles share: an icon, a name in
// body text over a detail line in caption text, and an optional mark at the
// trailing edge.
class ListRow : public QStyledItemDelegate {
    Q_OBJECT

public:
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    struct Look {
        int iconSize;
        int horizontalPadding;
        int spacing;
        int lineSpacing;
        bool showsSelection;  // else the selection is left to the mark
    };

    ListRow(Look look, QObject* parent);

    virtual QPixmap icon(const QModelIndex& index) const = 0;
    virtual QString detail(const QModelIndex& index) const = 0;
    // Drawn at the trailing edge when not null.
    virtual QPixmap mark(const QModelIndex& /*index*/) const { return {}; }

private:
    Look look_;
};

}  // namespace thrumwise
