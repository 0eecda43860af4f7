#pragma once

#include "discovery/AppBundleReader.h"
#include "discovery/AppCatalog.h"

#include <cstdint>

namespace thrumwise {

class DesktopEntryDiscovery;
class SteamGameDiscovery;

// The applications of a Linux desktop: desktop entries first, then Steam games, the first for
// each identifier kept, sorted by name.
class LinuxAppDiscovery final : public AppCatalog {
public:
    LinuxAppDiscovery(const DesktopEntryDiscovery& desktopEntries,
                      const SteamGameDiscovery& steamGames, const AppBundleReader& bundles);

    std::vector<InstalledApp> scanInstalledApps() override;

    // How many scans have run; what is cached from the file system is stale once it grows.
    std::uint64_t scanCount() const { return scanCount_; }

protected:
    // A folder is read as an application bundle, a ".desktop" file as a desktop entry, an
    // "appmanifest_<appid>.acf" as a Steam game.
    std::optional<InstalledApp> readApp(const QString& path) const override;

private:
    const DesktopEntryDiscovery& desktopEntries_;
    const SteamGameDiscovery& steamGames_;
    const AppBundleReader& bundles_;
    std::uint64_t scanCount_ = 0;
};

}  // namespace thrumwise
