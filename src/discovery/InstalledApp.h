#pragma once

#include <QString>

namespace thrumwise {

// An application or game a profile can be attached to.
struct InstalledApp {
    // The identifier profiles are keyed by, as stored in its source (no trimming, no case change).
    QString bundleId;
    QString displayName;
    // The bundle folder or the file the record was read from, as built from the scanned folder.
    QString path;

    friend bool operator==(const InstalledApp&, const InstalledApp&) = default;
};

}  // namespace thrumwise
