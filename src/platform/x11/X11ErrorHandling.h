#pragma once

#include <mutex>
#include <vector>

#include <X11/Xlib.h>

namespace thrumwise {

// Xlib's own handlers end the process on any protocol error and on a lost
// display connection. The handlers installed here keep the connections
// adopted through this class from doing so, and leave every other connection
// of the process to the handlers that were in place before.
class X11ErrorHandling {
public:
    // Installs the process-wide handlers on first use. The handlers are
    // global to Xlib, so there is no other instance.
    static X11ErrorHandling& shared();

    X11ErrorHandling(const X11ErrorHandling&) = delete;
    X11ErrorHandling& operator=(const X11ErrorHandling&) = delete;

    // Call right after opening `display`. Protocol errors on it are ignored
    // (the failing call reports its own failure). When the connection is lost,
    // `*isLost` is set and the Xlib call that noticed returns as a failure, as
    // does every later call on the display; the owner then closes it.
    // `isLost` must stay valid until close() returns.
    void adopt(Display* display, bool* isLost);

    // Closes an adopted display. Losing the connection while closing is
    // handled like any other loss.
    void close(Display* display);

private:
    X11ErrorHandling();

    bool isAdopted(Display* display) const;

    static int handleProtocolError(Display* display, XErrorEvent* error);
    static int handleIoError(Display* display);
    static void markLost(Display* display, void* isLost);

    mutable std::mutex mutex_;  // guards adopted_
    std::vector<Display*> adopted_;
    XErrorHandler previousProtocolHandler_ = nullptr;
    XIOErrorHandler previousIoHandler_ = nullptr;
};

}  // namespace thrumwise
