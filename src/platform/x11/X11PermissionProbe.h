#pragma once

#include "platform/PermissionProbe.h"
#include "platform/x11/X11Display.h"

namespace thrumwise {

// On X11 there is nothing to grant: what input capture needs is a display
// connection (no display means a Wayland session without XWayland, or none at
// all) with XInput 2.2 raw events on it.
class X11PermissionProbe final : public PermissionProbe {
public:
    explicit X11PermissionProbe(X11Display& display);

    bool isAccessibilityGranted() override;
    bool isInputMonitoringGranted() override;

private:
    X11Display& display_;
};

}  // namespace thrumwise
