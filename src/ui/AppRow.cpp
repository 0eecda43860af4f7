#include "ui/AppRow.h"

#include "ui/AppIconLookup.h"
#include "ui/AppListModel.h"
#include "ui/Style.h"

namespace thrumwise {

AppRow::AppRow(AppIconLookup& icons, QObject* parent)
    : ListRow({.iconSize = iconSize,
               .horizontalPadding = 10,
               .spacing = 10,
               .lineSpacing = 0,
               .showsSelection = false},
              parent),
      icons_(icons) {}

// The application's own icon, else a plain application symbol.
QPixmap AppRow::icon(const QModelIndex& index) const {
    const QIcon icon =
        icons_.iconFor(index.data(AppListModel::BundleIdRole).toString().toStdString());
    return icon.isNull() ? style::symbol(QStringLiteral("app.fill"), iconSize, style::secondary())
                         : icon.pixmap(iconSize);
}

QString AppRow::detail(const QModelIndex& index) const {
    return index.data(AppListModel::BundleIdRole).toString();
}

QPixmap AppRow::mark(const QModelIndex& index) const {
    constexpr int kCheckSize = 18;
    return index.data(AppListModel::IsSelectedRole).toBool()
               ? style::symbol(QStringLiteral("checkmark.circle.fill"), kCheckSize, style::accent())
               : QPixmap();
}

}  // namespace thrumwise
