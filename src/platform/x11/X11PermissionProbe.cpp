#include "platform/x11/X11PermissionProbe.h"

#include <X11/extensions/XInput2.h>

namespace thrumwise {

X11PermissionProbe::X11PermissionProbe(X11Display& display) : display_(display) {}

bool X11PermissionProbe::isAccessibilityGranted() {
    return display_.get() != nullptr;
}

bool X11PermissionProbe::isInputMonitoringGranted() {
    Display* display = display_.get();
    if (display == nullptr) {
        return false;
    }
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    if (XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError) == False) {
        return false;
    }
    int major = 2;
    int minor = 2;
    return XIQueryVersion(display, &major, &minor) == Success &&
           (major > 2 || (major == 2 && minor >= 2));
}

}  // namespace thrumwise
