#include "ui/ProfileListModel.h"

#include "state/AppState.h"

#include <algorithm>

namespace thrumwise {

ProfileListModel::ProfileListModel(AppState& state, QObject* parent)
    : QAbstractListModel(parent), state_(state), rows_(rowsOf(state)) {
    connect(&state_, &AppState::profilesChanged, this, &ProfileListModel::follow);
}

int ProfileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant ProfileListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(row.displayName);
        case Qt::AccessibleTextRole:
            return QString::fromStdString(row.displayName) + QStringLiteral(", ") +
                   mappingCountText(row.mappingCount);
        case IdRole:
            return QString::fromStdString(row.id);
        case BundleIdRole:
            return QString::fromStdString(row.bundleId);
        case MappingCountRole:
            return static_cast<qulonglong>(row.mappingCount);
        default:
            return {};
    }
}

std::optional<int> ProfileListModel::rowOf(const std::string& id) const {
    const auto found =
        std::find_if(rows_.begin(), rows_.end(), [&id](const Row& row) { return row.id == id; });
    if (found == rows_.end()) {
        return std::nullopt;
    }
    return static_cast<int>(found - rows_.begin());
}

QString ProfileListModel::mappingCountText(std::size_t count) {
    return count == 1 ? tr("1 mapping") : QString::number(count) + tr(" mappings");
}

std::vector<ProfileListModel::Row> ProfileListModel::rowsOf(AppState& state) {
    std::vector<Row> rows;
    rows.reserve(state.profiles().size());
    for (const GameProfile& profile : state.profiles()) {
        rows.push_back(
            {profile.id, profile.displayName, profile.bundleId, profile.mappings.size()});
    }
    return rows;
}

void ProfileListModel::follow() {
    std::vector<Row> next = rowsOf(state_);
    const auto sameId = [](const Row& a, const Row& b) {
        return a.id == b.id;
    };
    const std::size_t kept = std::min(rows_.size(), next.size());
    const bool isPrefixKept =
        std::equal(rows_.begin(), rows_.begin() + static_cast<long>(kept), next.begin(), sameId);
    if (isPrefixKept && next.size() >= rows_.size()) {
        updateChangedRows(next, kept);
        if (next.size() > rows_.size()) {
            beginInsertRows({}, static_cast<int>(rows_.size()), static_cast<int>(next.size()) - 1);
            rows_.insert(rows_.end(), next.begin() + static_cast<long>(kept), next.end());
            endInsertRows();
        }
        return;
    }
    if (removeMissingRows(next)) {
        updateChangedRows(next, next.size());
        return;
    }
    beginResetModel();
    rows_ = std::move(next);
    endResetModel();
}

void ProfileListModel::updateChangedRows(const std::vector<Row>& next, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!(rows_[i] == next[i])) {
            rows_[i] = next[i];
            const QModelIndex changed = index(static_cast<int>(i));
            Q_EMIT dataChanged(changed, changed);
        }
    }
}

// When `next` is the current list with some rows taken out, takes them out
// here too, one run of neighbours at a time; false (and nothing removed) when
// it is not.
bool ProfileListModel::removeMissingRows(const std::vector<Row>& next) {
    std::vector<bool> keeps(rows_.size(), false);
    std::size_t matched = 0;
    for (std::size_t i = 0; i < rows_.size() && matched < next.size(); ++i) {
        if (rows_[i].id == next[matched].id) {
            keeps[i] = true;
            ++matched;
        }
    }
    if (matched != next.size()) {
        return false;
    }
    for (std::size_t end = rows_.size(); end > 0;) {
        if (keeps[end - 1]) {
            --end;
            continue;
        }
        std::size_t begin = end - 1;
        while (begin > 0 && !keeps[begin - 1]) {
            --begin;
        }
        beginRemoveRows({}, static_cast<int>(begin), static_cast<int>(end) - 1);
        rows_.erase(rows_.begin() + static_cast<long>(begin),
                    rows_.begin() + static_cast<long>(end));
        endRemoveRows();
        end = begin;
    }
    return true;
}

}  // namespace thrumwise
