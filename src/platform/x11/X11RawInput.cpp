#include "platform/x11/X11RawInput.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace thrumwise {

std::optional<int> rawInputOpcode(Display* display) {
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    if (XQueryExtension(display, "XInputExtension", &opcode, &firstEvent, &firstError) == False) {
        return std::nullopt;
    }
    // The server answers with the version it will speak, which may be older.
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(display, &major, &minor) != Success || major < 2 ||
        (major == 2 && minor < 2)) {
        return std::nullopt;
    }
    return opcode;
}

}  // namespace thrumwise
