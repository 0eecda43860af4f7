#pragma once

#include "discovery/AppBundleReader.h"
#include "discovery/AppCatalog.h"
#include "discovery/BoundedFileSystem.h"

#include <vector>

#include <QStringList>

namespace thrumwise {

// Application bundles in the macOS application folders and in the Steam libraries that the
// macOS Steam client knows of.
class BundleDiscovery final : public AppCatalog {
public:
    // The folders searched for bundles, in order (on macOS "/Applications",
    // "/System/Applications" and ~/Applications), and the home folder the default Steam library
    // lies under.
    BundleDiscovery(QStringList applicationFolders, QString home, BoundedFileSystem files);

    // The bundles directly in the application folders (not in subfolders), then those of the
    // Steam libraries; the first for each identifier kept, sorted by name.
    std::vector<InstalledApp> scanInstalledApps() override;

    // Bundles exactly two levels below each library's "common" folder (common/<game>/<x>.app),
    // libraries in the order found, not yet made unique or sorted.
    std::vector<InstalledApp> scanSteamLibraries() const;

protected:
    std::optional<InstalledApp> readApp(const QString& path) const override;

private:
    // The default library, then those whose "path" the library file names, each once.
    QStringList steamLibraries() const;
    void appendBundles(std::vector<InstalledApp>& apps, const QString& folder) const;

    QStringList applicationFolders_;
    QString home_;
    BoundedFileSystem files_;
    AppBundleReader reader_;
};

}  // namespace thrumwise
