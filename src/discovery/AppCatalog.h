#pragma once

#include "discovery/InstalledApp.h"

#include <optional>
#include <vector>

#include <QString>

namespace thrumwise {

// What the application pickers ask of the discovery: the installed applications, and one
// application picked by hand in a file dialog.
class AppCatalog {
public:
    virtual ~AppCatalog() = default;

    // A fresh scan on every call: unique identifiers, sorted by name. Unreadable files and
    // folders are skipped silently.
    virtual std::vector<InstalledApp> scanInstalledApps() = 0;

    // Nothing when the path holds no application, or one whose identifier is empty or blank: a
    // profile keyed by it could never match a window.
    std::optional<InstalledApp> readPickedApp(const QString& path) const;

protected:
    virtual std::optional<InstalledApp> readApp(const QString& path) const = 0;
};

}  // namespace thrumwise
