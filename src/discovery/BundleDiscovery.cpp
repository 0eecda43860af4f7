#include "discovery/BundleDiscovery.h"

#include "discovery/InstalledAppList.h"

#include <QRegularExpression>
#include <QSet>
#include <QUtf8StringView>

namespace thrumwise {

BundleDiscovery::BundleDiscovery(QStringList applicationFolders, QString home,
                                 BoundedFileSystem files)
    : applicationFolders_(std::move(applicationFolders)),
      home_(std::move(home)),
      files_(files),
      reader_(files) {}

std::vector<InstalledApp> BundleDiscovery::scanInstalledApps() {
    std::vector<InstalledApp> apps;
    for (const QString& folder : applicationFolders_) {
        appendBundles(apps, folder);
    }
    std::vector<InstalledApp> games = scanSteamLibraries();
    apps.insert(apps.end(), std::make_move_iterator(games.begin()),
                std::make_move_iterator(games.end()));
    return uniqueAppsSortedByName(std::move(apps));
}

std::vector<InstalledApp> BundleDiscovery::scanSteamLibraries() const {
    std::vector<InstalledApp> apps;
    for (const QString& library : steamLibraries()) {
        const QString common = library + QStringLiteral("/common");
        for (const QString& game : files_.listFolder(common)) {
            appendBundles(apps, joinPath(common, game));
        }
    }
    return apps;
}

std::optional<InstalledApp> BundleDiscovery::readApp(const QString& path) const {
    return reader_.readAppBundle(path);
}

QStringList BundleDiscovery::steamLibraries() const {
    const QString defaultLibrary =
        home_ + QStringLiteral("/Library/Application Support/Steam/steamapps");
    QStringList libraries{defaultLibrary};
    QSet<QString> seen{defaultLibrary};
    const auto bytes = files_.readFile(defaultLibrary + QStringLiteral("/libraryfolders.vdf"));
    // Text that is not UTF-8 counts as unreadable, as the file is defined to be UTF-8.
    if (!bytes || !QUtf8StringView(*bytes).isValidUtf8()) {
        return libraries;
    }
    static const QRegularExpression pathValue(QStringLiteral(R"re("path"\s*"([^"]+)")re"));
    auto matches = pathValue.globalMatch(QString::fromUtf8(*bytes));
    while (matches.hasNext()) {
        QString path = matches.next().captured(1);
        // Windows-style libraries are written with escaped, doubled backslashes.
        path.replace(QStringLiteral("\\\\"), QStringLiteral("/"));
        const QString library = path + QStringLiteral("/steamapps");
        if (!seen.contains(library)) {
            seen.insert(library);
            libraries.append(library);
        }
    }
    return libraries;
}

void BundleDiscovery::appendBundles(std::vector<InstalledApp>& apps, const QString& folder) const {
    for (const QString& name : files_.listFolder(folder)) {
        if (!name.endsWith(QLatin1String(".app"))) {
            continue;
        }
        if (auto app = reader_.readAppBundle(joinPath(folder, name))) {
            apps.push_back(std::move(*app));
        }
    }
}

}  // namespace thrumwise
