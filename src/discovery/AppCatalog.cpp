#include "discovery/AppCatalog.h"

namespace thrumwise {

std::optional<InstalledApp> AppCatalog::readPickedApp(const QString& path) const {
    auto app = readApp(path);
    if (app && app->bundleId.trimmed().isEmpty()) {
        return std::nullopt;
    }
    return app;
}

}  // namespace thrumwise
