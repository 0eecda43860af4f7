#pragma once

#include "ui/ListRow.h"

namespace thrumwise {

class AppIconLookup;

// One profile of the sidebar list: the application's icon, the profile's name
// and its number of mappings. Enabled and disabled profiles look alike.
class ProfileRow : public ListRow {
    Q_OBJECT

public:
    static constexpr int iconSize = 28;

    explicit ProfileRow(AppIconLookup& icons, QObject* parent = nullptr);

private:
    QPixmap icon(const QModelIndex& index) const override;
    QString detail(const QModelIndex& index) const override;

    AppIconLookup& icons_;
};

}  // namespace thrumwise
