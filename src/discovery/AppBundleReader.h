#pragma once

#include "discovery/BoundedFileSystem.h"
#include "discovery/InstalledApp.h"

#include <optional>

#include <QString>

namespace thrumwise {

// Reads an application bundle's identifier and name from its "Contents/Info.plist" (XML or
// binary).
class AppBundleReader {
public:
    explicit AppBundleReader(BoundedFileSystem files) : files_(files) {}

    // Nothing when the property list is missing, unreadable, not a dictionary, or has no string
    // CFBundleIdentifier (an empty one is kept). The name is the first string of
    // CFBundleDisplayName and CFBundleName, else the folder's name without a trailing ".app".
    // The path is kept exactly as given.
    std::optional<InstalledApp> readAppBundle(const QString& path) const;

private:
    BoundedFileSystem files_;
};

}  // namespace thrumwise
