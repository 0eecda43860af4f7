#include "platform/x11/X11ErrorHandling.h"

#include <algorithm>

namespace thrumwise {

X11ErrorHandling::X11ErrorHandling()
    : previousProtocolHandler_(XSetErrorHandler(&X11ErrorHandling::handleProtocolError)),
      previousIoHandler_(XSetIOErrorHandler(&X11ErrorHandling::handleIoError)) {}

X11ErrorHandling& X11ErrorHandling::shared() {
    static auto* instance = new X11ErrorHandling();
    return *instance;
}

void X11ErrorHandling::adopt(Display* display, bool* isLost) {
    {
        const std::scoped_lock guard(mutex_);
        adopted_.push_back(display);
    }
    // Xlib's default exit handler would end the process after the I/O handler returns.
    XSetIOErrorExitHandler(display, &X11ErrorHandling::markLost, isLost);
}

// Forgotten only once closed: the goodbye to a server that has just gone is a loss like any other.
void X11ErrorHandling::close(Display* display) {
    XCloseDisplay(display);
    const std::scoped_lock guard(mutex_);
    std::erase(adopted_, display);
}

bool X11ErrorHandling::isAdopted(Display* display) const {
    const std::scoped_lock guard(mutex_);
    return std::find(adopted_.begin(), adopted_.end(), display) != adopted_.end();
}

int X11ErrorHandling::handleProtocolError(Display* display, XErrorEvent* error) {
    X11ErrorHandling& self = shared();
    if (self.isAdopted(display)) {
        return 0;
    }
    return self.previousProtocolHandler_(display, error);
}

// Runs first on a lost connection; Xlib then calls the display's exit handler.
int X11ErrorHandling::handleIoError(Display* display) {
    X11ErrorHandling& self = shared();
    if (self.isAdopted(display)) {
        return 0;
    }
    return self.previousIoHandler_(display);
}

void X11ErrorHandling::markLost(Display* /*display*/, void* isLost) {
    *static_cast<bool*>(isLost) = true;
}

}  // namespace thrumwise
