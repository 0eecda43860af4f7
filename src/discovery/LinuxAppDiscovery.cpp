#include "discovery/LinuxAppDiscovery.h"

#include "discovery/DesktopEntryDiscovery.h"
#include "discovery/InstalledAppList.h"
#include "discovery/SteamGameDiscovery.h"

#include <QFileInfo>

namespace thrumwise {

LinuxAppDiscovery::LinuxAppDiscovery(const DesktopEntryDiscovery& desktopEntries,
                                     const SteamGameDiscovery& steamGames,
                                     const AppBundleReader& bundles)
    : desktopEntries_(desktopEntries), steamGames_(steamGames), bundles_(bundles) {}

std::vector<InstalledApp> LinuxAppDiscovery::scanInstalledApps() {
    ++scanCount_;
    std::vector<InstalledApp> apps;
    for (auto& found : desktopEntries_.scan()) {
        apps.push_back(std::move(found.app));
    }
    std::vector<InstalledApp> games = steamGames_.scan();
    apps.insert(apps.end(), std::make_move_iterator(games.begin()),
                std::make_move_iterator(games.end()));
    return uniqueAppsSortedByName(std::move(apps));
}

std::optional<InstalledApp> LinuxAppDiscovery::readApp(const QString& path) const {
    if (QFileInfo(path).isDir()) {
        return bundles_.readAppBundle(path);
    }
    if (path.endsWith(QLatin1String(".desktop"))) {
        return desktopEntries_.readPicked(path);
    }
    return steamGames_.readManifest(path);
}

}  // namespace thrumwise
