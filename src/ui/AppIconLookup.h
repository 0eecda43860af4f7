#pragma once

#include <string>

#include <QIcon>

namespace thrumwise {

// Finds an application's icon by its identifier.
class AppIconLookup {
public:
    virtual ~AppIconLookup() = default;
    // A null icon when the application is unknown or has no icon.
    virtual QIcon iconFor(const std::string& bundleId) = 0;
};

// Knows no icons: every application shows the fallback symbol.
class NoAppIcons final : public AppIconLookup {
public:
    QIcon iconFor(const std::string& /*bundleId*/) override { return {}; }
};

}  // namespace thrumwise
