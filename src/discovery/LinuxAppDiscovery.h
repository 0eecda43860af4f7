#pragma once

#include "discovery/AppBundleReader.h"
#include "discovery/AppCatalog.h"
#include "discovery/AppIconLocator.h"

namespace thrumwise {

class DesktopEntryDiscovery;
class SteamGameDiscovery;

// The applications of a Linux desktop: desktop entries first, then Steam games, the first for
// each identifier kept, sorted by name.
class LinuxAppDiscovery final : public AppCatalog {
public:
    LinuxAppDiscovery(const DesktopEntryDiscovery& desktopEntries,
                      const SteamGameDiscovery& steamGames, const AppBundleReader& bundles);

    // The applications, and where their icons lie, from one reading of the disk. Only reads:
    // any thread may scan, also while another scans.
    struct Scan {
        std::vector<InstalledApp> apps;
        AppIconLocator icons;
    };
    Scan scan() const;

    std::vector<InstalledApp> scanInstalledApps() override { return scan().apps; }

protected:
    // A folder is read as an application bundle, a ".desktop" file as a desktop entry, an
    // "appmanifest_<appid>.acf" as a Steam game.
    std::optional<InstalledApp> readApp(const QString& path) const override;

private:
    const DesktopEntryDiscovery& desktopEntries_;
    const SteamGameDiscovery& steamGames_;
    const AppBundleReader& bundles_;
};

}  // namespace thrumwise
