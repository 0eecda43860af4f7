#include "ui/ProfileRow.h"

#include "ui/AppIconView.h"
#include "ui/ProfileListModel.h"

namespace thrumwise {

ProfileRow::ProfileRow(AppIconLookup& icons, QObject* parent)
    : ListRow({.iconSize = iconSize,
               .horizontalPadding = 8,
               .spacing = 8,
               .lineSpacing = 2,
               .showsSelection = true},
              parent),
      icons_(icons) {}

QPixmap ProfileRow::icon(const QModelIndex& index) const {
    return appIconPixmap(
        icons_, index.data(ProfileListModel::BundleIdRole).toString().toStdString(), iconSize);
}

QString ProfileRow::detail(const QModelIndex& index) const {
    return ProfileListModel::mappingCountText(
        index.data(ProfileListModel::MappingCountRole).toULongLong());
}

}  // namespace thrumwise
