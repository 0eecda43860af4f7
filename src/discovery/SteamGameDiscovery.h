#pragma once

#include "discovery/BoundedFileSystem.h"
#include "discovery/InstalledApp.h"

#include <optional>
#include <vector>

#include <QStringList>

namespace thrumwise {

// The games installed in the Linux Steam client's libraries. A game's identifier is
// "steam_app_<appid>", the window class games started by Steam carry; its path is its app
// manifest, the file the record is read from, which exists for every installed game (its
// install folder may be missing or shared) and which a hand-picked read accepts again.
class SteamGameDiscovery {
public:
    // Each root is a Steam installation whose "steamapps" folder is a library and names the
    // others in "steamapps/libraryfolders.vdf".
    SteamGameDiscovery(QStringList steamRoots, BoundedFileSystem files);

    // ~/.local/share/Steam and ~/.steam/steam, usually a link to the first.
    static QStringList standardRoots(const QString& home);

    // Every library once (by its resolved path), in the order found; in each library, every
    // "appmanifest_<appid>.acf" with a name.
    std::vector<InstalledApp> scan() const;

    // One app manifest; nothing for another file or one without the game's name.
    std::optional<InstalledApp> readManifest(const QString& path) const;

private:
    QStringList libraries() const;

    QStringList steamRoots_;
    BoundedFileSystem files_;
};

}  // namespace thrumwise
