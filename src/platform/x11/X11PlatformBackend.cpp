#include "platform/PlatformBackend.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11FrontmostApplicationSource.h"
#include "platform/x11/X11GlobalEventSource.h"
#include "platform/x11/X11PermissionProbe.h"

namespace thrumwise {

namespace {

// The focused-window poll and the permission poll share one connection of
// their own; input capture keeps a separate one for its event stream.
class X11PlatformBackend final : public PlatformBackend {
public:
    explicit X11PlatformBackend(Logger& logger)
        : events_({}, logger), frontmost_(display_), permissions_(display_) {}

    GlobalEventSource& globalEventSource() override { return events_; }
    FrontmostApplicationSource& frontmostApplicationSource() override { return frontmost_; }
    PermissionProbe& permissionProbe() override { return permissions_; }

private:
    X11Display display_{{}};
    X11GlobalEventSource events_;
    X11FrontmostApplicationSource frontmost_;
    X11PermissionProbe permissions_;
};

}  // namespace

std::unique_ptr<PlatformBackend> createPlatformBackend(Logger& logger) {
    return std::make_unique<X11PlatformBackend>(logger);
}

}  // namespace thrumwise
