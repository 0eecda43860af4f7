#include "ui/AppListModel.h"

#include <algorithm>

namespace thrumwise {

AppListModel::AppListModel(QObject* parent) : QAbstractListModel(parent) {}

int AppListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
}

QVariant AppListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const InstalledApp& app = appAt(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return app.displayName;
        case Qt::AccessibleTextRole:
            return app.displayName + QStringLiteral(", ") + app.bundleId;
        case BundleIdRole:
            return app.bundleId;
        case IsSelectedRole:
            return selectedBundleId_ == app.bundleId;
        default:
            return {};
    }
}

void AppListModel::setApps(std::vector<InstalledApp> apps) {
    apps_ = std::move(apps);
    filter();
}

const InstalledApp& AppListModel::addApp(const InstalledApp& app) {
    const auto listed = std::find_if(apps_.begin(), apps_.end(), [&app](const InstalledApp& a) {
        return a.bundleId == app.bundleId;
    });
    if (listed != apps_.end()) {
        return *listed;
    }
    apps_.push_back(app);
    filter();
    return apps_.back();
}

void AppListModel::setSearchText(const QString& text) {
    searchText_ = text;
    filter();
}

void AppListModel::setSelectedBundleId(const std::optional<QString>& bundleId) {
    selectedBundleId_ = bundleId;
    if (!shown_.empty()) {
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), {IsSelectedRole});
    }
}

const InstalledApp& AppListModel::appAt(int row) const {
    return apps_.at(shown_.at(static_cast<std::size_t>(row)));
}

void AppListModel::filter() {
    beginResetModel();
    shown_.clear();
    for (std::size_t i = 0; i < apps_.size(); ++i) {
        const InstalledApp& app = apps_[i];
        if (searchText_.isEmpty() || app.displayName.contains(searchText_, Qt::CaseInsensitive) ||
            app.bundleId.contains(searchText_, Qt::CaseInsensitive)) {
            shown_.push_back(i);
        }
    }
    endResetModel();
}

}  // namespace thrumwise
