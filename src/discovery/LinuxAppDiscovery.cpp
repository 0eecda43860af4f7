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

LinuxAppDiscovery::Scan LinuxAppDiscovery::scan() const {
    const std::vector<DesktopEntryDiscovery::Found> entries = desktopEntries_.scan();
    std::vector<InstalledApp> apps;
    apps.reserve(entries.size());
    for (const auto& found : entries) {
        apps.push_back(found.app);
    }
    std::vector<InstalledApp> games = steamGames_.scan();
    apps.insert(apps.end(), std::make_move_iterator(games.begin()),
                std::make_move_iterator(games.end()));
    return {uniqueAppsSortedByName(std::move(apps)), AppIconLocator(entries)};
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
