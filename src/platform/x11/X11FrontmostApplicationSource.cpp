#include "platform/x11/X11FrontmostApplicationSource.h"

#include "platform/x11/X11Display.h"

#include <cstdint>
#include <memory>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace thrumwise {

namespace {

struct XFreeDeleter {
    void operator()(void* data) const {
        if (data != nullptr) {
            XFree(data);
        }
    }
};

template <typename T>
using XPointer = std::unique_ptr<T, XFreeDeleter>;

// One property of `window` as raw items; empty when it is missing, or of
// another type or item size than asked for (any client may write any shape).
struct Property {
    XPointer<unsigned char> data;
    unsigned long count = 0;
    bool exists = false;
};

constexpr int kWindowFormat = 32;  // Xlib hands 32-bit items over as longs
constexpr int kTextFormat = 8;

Property readProperty(Display* display, Window window, Atom name, Atom type, int expectedFormat) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* raw = nullptr;
    const int status = XGetWindowProperty(display, window, name, 0, 1024, False, type, &actualType,
                                          &format, &count, &remaining, &raw);
    Property property;
    property.data.reset(raw);
    if (status == Success && actualType == type && format == expectedFormat) {
        property.exists = true;
        property.count = count;
    }
    return property;
}

constexpr int kDeepestSearch = 4;  // frames seldom nest more than two levels

struct Atoms {
    Atom netActiveWindow = None;
    Atom netWmName = None;
    Atom utf8String = None;
    Atom wmState = None;
};

std::vector<Window> childrenOf(Display* display, Window window, Window* parent = nullptr) {
    Window rootReturn = None;
    Window parentReturn = None;
    Window* children = nullptr;
    unsigned int childCount = 0;
    if (XQueryTree(display, window, &rootReturn, &parentReturn, &children, &childCount) == 0) {
        return {};
    }
    XPointer<Window> owned(children);
    if (parent != nullptr) {
        *parent = parentReturn;
    }
    return {children, children + childCount};
}

// The window carrying the client's properties: the window itself, or the
// nearest descendant with WM_STATE when a window manager framed it.
Window clientWindow(Display* display, const Atoms& atoms, Window topLevel) {
    std::vector<Window> level{topLevel};
    for (int depth = 0; depth < kDeepestSearch && !level.empty(); ++depth) {
        std::vector<Window> next;
        for (const Window window : level) {
            if (readProperty(display, window, atoms.wmState, atoms.wmState, kWindowFormat).exists) {
                return window;
            }
            const auto children = childrenOf(display, window);
            next.insert(next.end(), children.begin(), children.end());
        }
        level = std::move(next);
    }
    return topLevel;
}

// The window in front, and whether it was found through the input focus
// (where no EWMH window manager runs) rather than the window manager's word.
struct Front {
    Window window = None;
    bool isFromInputFocus = false;
};

// Where no EWMH window manager runs: the top-level window holding the input focus.
Window focusedTopLevel(Display* display, const Atoms& atoms) {
    Window focus = None;
    int revertTo = 0;
    XGetInputFocus(display, &focus, &revertTo);
    if (focus == None || focus == PointerRoot) {
        return None;
    }
    const Window root = DefaultRootWindow(display);
    Window current = focus;
    while (current != root) {
        Window parent = None;
        childrenOf(display, current, &parent);
        if (parent == None) {
            return None;  // the window went away while we climbed
        }
        if (parent == root) {
            return clientWindow(display, atoms, current);
        }
        current = parent;
    }
    return None;  // the root itself has the focus
}

// The window manager's answer when it keeps one, else the input focus.
Front activeWindow(Display* display, const Atoms& atoms) {
    const Property active = readProperty(display, DefaultRootWindow(display), atoms.netActiveWindow,
                                         XA_WINDOW, kWindowFormat);
    if (!active.exists) {
        return {focusedTopLevel(display, atoms), true};
    }
    if (active.count == 0) {
        return {};
    }
    // Already the client window, not the window manager's frame.
    return {*reinterpret_cast<const Window*>(active.data.get()), false};
}

// WM_CLASS and WM_NAME are Latin-1 by X11 convention; identifiers and names
// are UTF-8 everywhere else, so that a class with accents matches the profile
// made for it and can be saved.
std::string utf8FromLatin1(const char* text) {
    std::string utf8;
    for (const char* c = text; *c != '\0'; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte < 0x80) {
            utf8 += *c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

FrontmostApplication describe(Display* display, const Atoms& atoms, Window window) {
    FrontmostApplication application;
    XClassHint hint{};
    if (XGetClassHint(display, window, &hint) != 0) {
        XPointer<char> instance(hint.res_name);
        XPointer<char> windowClass(hint.res_class);
        if (windowClass && *windowClass != '\0') {
            application.bundleId = utf8FromLatin1(windowClass.get());
        }
    }
    const Property name =
        readProperty(display, window, atoms.netWmName, atoms.utf8String, kTextFormat);
    if (name.exists && name.count > 0) {
        application.localizedName =
            std::string(reinterpret_cast<const char*>(name.data.get()), name.count);
    } else {
        char* legacy = nullptr;
        if (XFetchName(display, window, &legacy) != 0) {
            XPointer<char> owned(legacy);
            application.localizedName = utf8FromLatin1(legacy);
        }
    }
    return application;
}

// Asks to hear of the window's end and of changes to its properties (and,
// when the input focus found it, of the focus leaving it); false when it is
// already gone. The request goes first, so a window found alive afterwards
// will be reported.
bool watch(Display* display, const Front& front) {
    XSelectInput(display, front.window,
                 StructureNotifyMask | PropertyChangeMask |
                     (front.isFromInputFocus ? FocusChangeMask : NoEventMask));
    Window root = None;
    int x = 0;
    int y = 0;
    unsigned int width = 0;
    unsigned int height = 0;
    unsigned int border = 0;
    unsigned int depth = 0;
    return XGetGeometry(display, front.window, &root, &x, &y, &width, &height, &border, &depth) !=
           0;
}

// A grab (a window manager's Alt+Tab, a menu) moves no focus for good, and
// the pointer wandering while the focus follows it leaves no window in front.
bool isFocusMove(const XFocusChangeEvent& event) {
    return event.mode != NotifyGrab && event.mode != NotifyUngrab && event.detail != NotifyPointer;
}

}  // namespace

// A poll that finds the same window as the last one asks the server only once;
// what is known of that window is dropped when it ends (the server hands its
// id to a later window, and a window manager may name a destroyed window as
// active) or when its class or title changes.
struct X11FrontmostApplicationSource::Cache {
    std::uint64_t connection = 0;  // the display's connection count when the atoms were interned
    Atoms atoms;
    Window window = None;     // watched; None when nothing is known
    bool isOutdated = false;  // the server told of a change to `window`
    FrontmostApplication application;
    bool listensOnRoot = false;  // to _NET_ACTIVE_WINDOW and focus changes, on this connection
};

X11FrontmostApplicationSource::X11FrontmostApplicationSource(X11Display& display)
    : display_(display), cache_(std::make_unique<Cache>()) {}

X11FrontmostApplicationSource::~X11FrontmostApplicationSource() {
    setChangeHandler({});
}

// Atoms and selections belong to a connection; a new one starts afresh.
Display* X11FrontmostApplicationSource::open() {
    Display* display = display_.get();
    if (display != nullptr && cache_->connection != display_.connectionCount()) {
        *cache_ = Cache{display_.connectionCount(),
                        Atoms{XInternAtom(display, "_NET_ACTIVE_WINDOW", False),
                              XInternAtom(display, "_NET_WM_NAME", False),
                              XInternAtom(display, "UTF8_STRING", False),
                              XInternAtom(display, "WM_STATE", False)},
                        None,
                        false,
                        {},
                        false};
        listenOnRoot(display);
    }
    return display;
}

std::optional<FrontmostApplication> X11FrontmostApplicationSource::frontmostApplication() {
    Display* display = open();
    if (display == nullptr) {
        return std::nullopt;
    }
    auto application = lookUp(display);
    // The round trips above may have brought news along, which the socket
    // will not announce again.
    readEvents(display, QueuedAlready);
    return application;
}

std::optional<FrontmostApplication> X11FrontmostApplicationSource::lookUp(Display* display) {
    Cache& cache = *cache_;
    const auto forget = [&] {
        XSelectInput(display, cache.window, NoEventMask);
        cache.window = None;
        cache.isOutdated = false;
    };
    const Front front = activeWindow(display, cache.atoms);
    // After the round trip above, so that an end before it is in the queue.
    readEvents(display, QueuedAlready);
    if (cache.window != None && cache.isOutdated) {
        forget();
    }
    if (front.window == None) {
        return std::nullopt;
    }
    if (front.window != cache.window) {
        if (cache.window != None) {
            forget();
        }
        if (!watch(display, front)) {
            return std::nullopt;  // gone already
        }
        cache.application = describe(display, cache.atoms, front.window);
        cache.window = front.window;
    }
    return cache.application;
}

void X11FrontmostApplicationSource::setChangeHandler(ChangeHandler onMayHaveChanged) {
    onChange_ = std::move(onMayHaveChanged);
    X11Display::ReadHandler onReadable;
    if (onChange_) {
        onReadable = [this](Display* display) {
            readEvents(display, QueuedAfterReading);
        };
    }
    display_.setReadHandler(std::move(onReadable));
    // Listening starts at once; a source that is not listening opens nothing to stop.
    if (onChange_ || cache_->listensOnRoot) {
        if (Display* display = open()) {
            listenOnRoot(display);
        }
    }
}

// The window manager names the active window on the root; without one, the
// focus moving to or from the root is told there, and leaving a window is
// told on that window (see watch()).
void X11FrontmostApplicationSource::listenOnRoot(Display* display) {
    const bool isWanted = static_cast<bool>(onChange_);
    if (cache_->listensOnRoot == isWanted) {
        return;
    }
    XSelectInput(display, DefaultRootWindow(display),
                 isWanted ? PropertyChangeMask | FocusChangeMask : NoEventMask);
    XFlush(display);
    cache_->listensOnRoot = isWanted;
}

// Notes what the server told: the watched window's end or a change of its
// class or title, and whatever may have moved the focus. Nothing else on this
// connection asks for events, so the rest can go. However many changes came,
// the handler hears of them once: only the window in front when it looks counts.
void X11FrontmostApplicationSource::readEvents(Display* display, int mode) {
    Cache& cache = *cache_;
    bool mayHaveChanged = false;
    while (XEventsQueued(display, mode) > 0) {
        XEvent event{};
        XNextEvent(display, &event);
        if (event.type == DestroyNotify) {
            if (cache.window != None && event.xdestroywindow.window == cache.window) {
                cache.isOutdated = true;
                mayHaveChanged = true;
            }
        } else if (event.type == PropertyNotify) {
            const Atom changed = event.xproperty.atom;
            if (cache.window != None && event.xproperty.window == cache.window) {
                const bool isClass = changed == XA_WM_CLASS;
                cache.isOutdated = cache.isOutdated || isClass || changed == XA_WM_NAME ||
                                   changed == cache.atoms.netWmName;
                mayHaveChanged = mayHaveChanged || isClass;
            } else if (event.xproperty.window == DefaultRootWindow(display)) {
                mayHaveChanged = mayHaveChanged || changed == cache.atoms.netActiveWindow;
            }
        } else if (event.type == FocusIn || event.type == FocusOut) {
            mayHaveChanged = mayHaveChanged || isFocusMove(event.xfocus);
        }
    }
    if (mayHaveChanged && onChange_) {
        onChange_();
    }
}

}  // namespace thrumwise
