#include "platform/x11/X11PermissionProbe.h"

#include "platform/x11/X11RawInput.h"

namespace thrumwise {

X11PermissionProbe::X11PermissionProbe(X11Display& display) : display_(display) {}

bool X11PermissionProbe::isAccessibilityGranted() {
    return display_.get() != nullptr;
}

bool X11PermissionProbe::isInputMonitoringGranted() {
    _XDisplay* display = display_.get();
    return display != nullptr && rawInputOpcode(display).has_value();
}

}  // namespace thrumwise
