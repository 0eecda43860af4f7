#pragma once

#include "discovery/InstalledApp.h"

#include <optional>
#include <vector>

#include <QAbstractListModel>

namespace thrumwise {

// The pickers' list: the installed applications that match the search text,
// in their order, with the selected one marked (by identifier, not by path).
class AppListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        BundleIdRole = Qt::UserRole + 1,
        IsSelectedRole,
    };

    explicit AppListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void setApps(std::vector<InstalledApp> apps);
    const std::vector<InstalledApp>& apps() const { return apps_; }
    // Appends `app` unless one with its identifier is listed already; gives
    // the listed one either way.
    const InstalledApp& addApp(const InstalledApp& app);

    // Keeps the applications whose name or identifier holds the text, in any
    // letter case; all when it is empty. The text is used as typed.
    void setSearchText(const QString& text);

    void setSelectedBundleId(const std::optional<QString>& bundleId);
    // The application on a shown row.
    const InstalledApp& appAt(int row) const;

private:
    void filter();

    std::vector<InstalledApp> apps_;
    std::vector<std::size_t> shown_;  // indices into apps_
    QString searchText_;
    std::optional<QString> selectedBundleId_;
};

}  // namespace thrumwise
