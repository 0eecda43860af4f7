#pragma once

#include <QStyledItemDelegate>

namespace thrumwise {

class AppIconLookup;

// Draws one profile of the sidebar list: the application's icon, the profile's
// name and its number of mappings. Enabled and disabled profiles look alike.
class ProfileRow : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int iconSize = 28;

    explicit ProfileRow(AppIconLookup& icons, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    AppIconLookup& icons_;
};

}  // namespace thrumwise
