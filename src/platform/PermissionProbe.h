#pragma once

namespace thrumwise {

// What global input capture needs from the system. On X11: "Accessibility"
// means a display connection that can observe windows is open, "Input
// Monitoring" that raw input events (XInput 2.2) are available on it.
class PermissionProbe {
public:
    virtual ~PermissionProbe() = default;
    virtual bool isAccessibilityGranted() = 0;
    virtual bool isInputMonitoringGranted() = 0;
};

}  // namespace thrumwise
