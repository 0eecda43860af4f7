#include "common/Logger.h"
#include "platform/Platform.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11FrontmostApplicationSource.h"
#include "platform/x11/X11GlobalEventSource.h"
#include "platform/x11/X11PermissionProbe.h"

namespace thrumwise::platform {

namespace {

// The focused-window poll and the permission poll share one connection of
// their own; input capture keeps a separate one for its event stream.
X11Display& sharedDisplay() {
    static auto* display = new X11Display({});
    return *display;
}

}  // namespace

GlobalEventSource& globalEventSource() {
    static auto* source = new X11GlobalEventSource({}, Logger::shared());
    return *source;
}

FrontmostApplicationSource& frontmostApplicationSource() {
    static auto* source = new X11FrontmostApplicationSource(sharedDisplay());
    return *source;
}

PermissionProbe& permissionProbe() {
    static auto* probe = new X11PermissionProbe(sharedDisplay());
    return *probe;
}

}  // namespace thrumwise::platform
