#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <QAbstractListModel>

namespace thrumwise {

class AppState;

// The application state's profiles as a list, one row per profile in list
// order. It follows every assignment of the list with the smallest change it
// can tell: an edit updates its row, an addition inserts rows, a deletion
// removes them; only a reordering resets the model.
class ProfileListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        BundleIdRole,
        MappingCountRole,
    };

    explicit ProfileListModel(AppState& state, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The row of the profile with `id`, if it is listed.
    std::optional<int> rowOf(const std::string& id) const;

    // "1 mapping", else the count and " mappings".
    static QString mappingCountText(std::size_t count);

private:
    struct Row {
        std::string id;
        std::string displayName;
        std::string bundleId;
        std::size_t mappingCount = 0;

        bool operator==(const Row&) const = default;
    };

    static std::vector<Row> rowsOf(AppState& state);
    void follow();
    void updateChangedRows(const std::vector<Row>& next, std::size_t count);
    bool removeMissingRows(const std::vector<Row>& next);

    AppState& state_;
    std::vector<Row> rows_;
};

}  // namespace thrumwise
