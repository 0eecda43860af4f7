#pragma once

#include "discovery/BoundedFileSystem.h"
#include "discovery/InstalledApp.h"
#include "discovery/XdgDataRoots.h"

#include <optional>
#include <vector>

#include <QByteArray>

namespace thrumwise {

struct DesktopEntry;

// The applications that desktop entries describe, under each root's "applications" folder.
class DesktopEntryDiscovery {
public:
    struct Found {
        InstalledApp app;
        // The entry's Icon: a theme icon name or an absolute path; empty when it has none.
        QString icon;
    };

    // The locale is written as in LC_MESSAGES; empty means the process's own.
    DesktopEntryDiscovery(XdgDataRoots roots, QByteArray locale, BoundedFileSystem files);

    // The applications menus show, roots in precedence order. Each desktop file id counts once:
    // the first readable entry for it wins, even when that entry hides the application.
    std::vector<Found> scan() const;

    // One entry file picked by hand: an application even when NoDisplay or Hidden keep it out of
    // menus, since the user chose it.
    std::optional<InstalledApp> readPicked(const QString& path) const;

private:
    struct Walk;

    void walkFolder(Walk& walk, const QString& folder, const QString& idPrefix, int depth) const;
    std::optional<DesktopEntry> readEntry(const QString& path) const;
    // The path relative to the first root's applications folder holding it, with "/" turned
    // into "-"; outside all roots, the file name.
    QString desktopFileId(const QString& path) const;

    XdgDataRoots roots_;
    QByteArray locale_;
    BoundedFileSystem files_;
};

}  // namespace thrumwise
