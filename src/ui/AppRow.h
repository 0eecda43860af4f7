#pragma once

#include <QStyledItemDelegate>

namespace thrumwise {

class AppIconLookup;

// Draws one application of a picker: its icon, its name over its identifier,
// and a check mark when it is the selected one.
class AppRow : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int iconSize = 32;

    explicit AppRow(AppIconLookup& icons, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    AppIconLookup& icons_;
};

}  // namespace thrumwise
