#include "discovery/DesktopEntryDiscovery.h"

#include "discovery/DesktopEntry.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace thrumwise {

namespace {

constexpr QLatin1String applicationsFolder("applications");
constexpr QLatin1String desktopSuffix(".desktop");

}  // namespace

struct DesktopEntryDiscovery::Walk {
    std::vector<Found> found;
    QSet<QString> claimedIds;
    // Folders of the current root already walked, so a link back up is not followed round.
    QSet<QString> visitedFolders;
};

DesktopEntryDiscovery::DesktopEntryDiscovery(XdgDataRoots roots, QByteArray locale,
                                             BoundedFileSystem files)
    : roots_(std::move(roots)), locale_(std::move(locale)), files_(files) {}

std::vector<DesktopEntryDiscovery::Found> DesktopEntryDiscovery::scan() const {
    Walk walk;
    for (const QString& root : roots_.inPrecedenceOrder()) {
        walk.visitedFolders.clear();
        walkFolder(walk, joinPath(root, applicationsFolder), QString(), 0);
    }
    return std::move(walk.found);
}

void DesktopEntryDiscovery::walkFolder(Walk& walk, const QString& folder, const QString& idPrefix,
                                       int depth) const {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || walk.visitedFolders.contains(canonical)) {
        return;
    }
    walk.visitedFolders.insert(canonical);
    for (const QString& name : files_.listFolder(folder)) {
        const QString path = joinPath(folder, name);
        if (!name.endsWith(desktopSuffix)) {
            if (depth < files_.limits().maxFolderDepth && QFileInfo(path).isDir()) {
                walkFolder(walk, path, idPrefix + name + QLatin1Char('-'), depth + 1);
            }
            continue;
        }
        const QString id = idPrefix + name;
        if (walk.claimedIds.contains(id)) {
            continue;
        }
        const auto entry = readEntry(path);
        if (!entry) {
            continue;
        }
        walk.claimedIds.insert(id);
        if (entry->isShownApplication()) {
            walk.found.push_back({{entry->identifier(id), entry->name, path}, entry->icon});
        }
    }
}

std::optional<InstalledApp> DesktopEntryDiscovery::readPicked(const QString& path) const {
    const auto entry = readEntry(path);
    if (!entry || !entry->isApplication()) {
        return std::nullopt;
    }
    return InstalledApp{entry->identifier(desktopFileId(path)), entry->name, path};
}

std::optional<DesktopEntry> DesktopEntryDiscovery::readEntry(const QString& path) const {
    const auto bytes = files_.readFile(path);
    return bytes ? DesktopEntry::parse(*bytes, locale_) : std::nullopt;
}

QString DesktopEntryDiscovery::desktopFileId(const QString& path) const {
    const QString cleanPath = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const QString& root : roots_.inPrecedenceOrder()) {
        const QString folder =
            QDir::cleanPath(joinPath(root, applicationsFolder)) + QLatin1Char('/');
        if (cleanPath.startsWith(folder)) {
            return cleanPath.mid(folder.size()).replace(QLatin1Char('/'), QLatin1Char('-'));
        }
    }
    return QFileInfo(path).fileName();
}

}  // namespace thrumwise
