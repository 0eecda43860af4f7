#include "discovery/InstalledAppList.h"

#include <algorithm>

#include <QList>
#include <QSet>

namespace thrumwise {

std::vector<InstalledApp> uniqueAppsSortedByName(std::vector<InstalledApp> apps) {
    struct Keyed {
        QList<uint> key;
        InstalledApp app;
    };
    std::vector<Keyed> kept;
    kept.reserve(apps.size());
    QSet<QString> seen;
    for (InstalledApp& app : apps) {
        if (seen.contains(app.bundleId)) {
            continue;
        }
        seen.insert(app.bundleId);
        // UTF-32, because UTF-16 code units would order characters outside the basic plane
        // before U+E000..U+FFFF.
        QList<uint> key =
            app.displayName.toLower().normalized(QString::NormalizationForm_C).toUcs4();
        kept.push_back({std::move(key), std::move(app)});
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
    std::vector<InstalledApp> sorted;
    sorted.reserve(kept.size());
    for (Keyed& entry : kept) {
        sorted.push_back(std::move(entry.app));
    }
    return sorted;
}

}  // namespace thrumwise
