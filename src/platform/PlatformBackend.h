#pragma once

#include <memory>

namespace thrumwise {

class FrontmostApplicationSource;
class GlobalEventSource;
class Logger;
class PermissionProbe;

// What the system offers the application, from the backend chosen when the
// project is configured (X11, or one that observes nothing for headless use).
// It owns its sources; they live as long as it does.
class PlatformBackend {
public:
    virtual ~PlatformBackend() = default;

    virtual GlobalEventSource& globalEventSource() = 0;
    virtual FrontmostApplicationSource& frontmostApplicationSource() = 0;
    virtual PermissionProbe& permissionProbe() = 0;
};

// Defined once by each backend; the application links exactly one.
std::unique_ptr<PlatformBackend> createPlatformBackend(Logger& logger);

}  // namespace thrumwise
