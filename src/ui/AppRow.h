#pragma once

#include "ui/ListRow.h"

namespace thrumwise {

class AppIconLookup;

// One application of a picker: its icon, its name over its identifier, and a
// check mark when it is the selected one.
class AppRow : public ListRow {
    Q_OBJECT

public:
    static constexpr int iconSize = 32;

    explicit AppRow(AppIconLookup& icons, QObject* parent = nullptr);

private:
    QPixmap icon(const QModelIndex& index) const override;
    QString detail(const QModelIndex& index) const override;
    QPixmap mark(const QModelIndex& index) const override;

    AppIconLookup& icons_;
};

}  // namespace thrumwise
