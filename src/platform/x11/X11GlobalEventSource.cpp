#include "platform/x11/X11GlobalEventSource.h"

#include "common/Logger.h"
#include "platform/MacKeyCodes.h"
#include "platform/x11/X11ErrorHandling.h"
#include "platform/x11/X11RawInput.h"

#include <array>
#include <bitset>
#include <deque>
#include <optional>
#include <utility>

#include <QSocketNotifier>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace thrumwise {

namespace {

constexpr int kFirstKeycode = 8;  // X keycodes start at 8
constexpr int kKeycodeLimit = 256;
constexpr int kButtonLimit = 256;  // buttons beyond are not tracked as held
constexpr int kLeftButton = 1;
constexpr int kMiddleButton = 2;
constexpr int kRightButton = 3;
constexpr int kFirstExtraButton = 8;  // 4 to 7 are the scroll wheels

constexpr std::array kRawEventTypes{XI_RawKeyPress, XI_RawKeyRelease, XI_RawButtonPress,
                                    XI_RawButtonRelease};

}  // namespace

// One display connection listening to raw key and button events, and the
// keys, modifiers and buttons held on it. Raw events carry no modifier state,
// so it is kept here from the modifier keys' own presses and releases.
//
// Raw events come only while an X window has the keyboard focus: under
// XWayland a key released after a Wayland window took the focus is never
// heard. The root window's focus events tell when the focus leaves for None,
// or for PointerRoot over no X window (what XWayland gets then), and
// everything still held is reported released.
class X11GlobalEventSource::Connection {
public:
    // Null when the display cannot be reached or lacks XInput 2.2.
    static std::unique_ptr<Connection> open(const std::string& displayName);

    explicit Connection(Display* display) : display_(display) {
        X11ErrorHandling::shared().adopt(display_, &isLost_);
    }
    ~Connection() { X11ErrorHandling::shared().close(display_); }

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int socket() const { return XConnectionNumber(display_); }
    bool isLost() const { return isLost_; }

    // Also true for events Xlib has already read, which the socket no longer
    // announces, and for releases still to be reported.
    bool hasPendingEvent() {
        return !releases_.empty() || XQLength(display_) > 0 || XPending(display_) > 0;
    }

    // The next event as a RawInputEvent; nothing for one without a Mac counterpart.
    std::optional<RawInputEvent> nextEvent();

private:
    bool listen();
    void seedHeldModifiers();
    std::optional<RawInputEvent> translateRawEvent(XGenericEventCookie& cookie);
    std::optional<RawInputEvent> translateKey(int keycode, bool isDown);
    std::optional<RawInputEvent> translateButton(int button, bool isDown);
    void updateFlags();
    bool hasFocusLeftTheSession(const XFocusChangeEvent& focus);
    void releaseEverythingHeld();

    Display* display_;
    bool isLost_ = false;
    int xinputOpcode_ = 0;
    std::bitset<kKeycodeLimit> heldKeycodes_;  // modifiers included
    std::bitset<kButtonLimit> heldButtons_;
    std::bitset<128> heldModifierKeys_;  // by macOS key code
    std::uint64_t flags_ = 0;
    std::deque<RawInputEvent> releases_;  // handed on before anything read after them
};

std::unique_ptr<X11GlobalEventSource::Connection> X11GlobalEventSource::Connection::open(
    const std::string& displayName) {
    Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (display == nullptr) {
        return nullptr;
    }
    auto connection = std::make_unique<Connection>(display);
    if (!connection->listen()) {
        return nullptr;
    }
    return connection;
}

bool X11GlobalEventSource::Connection::listen() {
    const auto opcode = rawInputOpcode(display_);
    if (!opcode) {
        return false;
    }
    xinputOpcode_ = *opcode;

    // Master devices only: each press reaches them once, from whichever
    // physical or XTEST device it came.
    std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> bits{};
    for (const int type : kRawEventTypes) {
        bits.at(static_cast<std::size_t>(type >> 3)) |=
            static_cast<unsigned char>(1U << (type & 7));
    }
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(bits.size()), bits.data()};
    XISelectEvents(display_, XDefaultRootWindow(display_), &mask, 1);
    // The root hears of the focus only when it goes to or comes from None,
    // PointerRoot or the root itself, never on a switch between windows.
    XSelectInput(display_, XDefaultRootWindow(display_), FocusChangeMask);

    // After selecting, so a modifier pressed in between is not missed.
    seedHeldModifiers();
    XSync(display_, False);
    return !isLost_;
}

void X11GlobalEventSource::Connection::seedHeldModifiers() {
    std::array<char, 32> keys{};
    XQueryKeymap(display_, keys.data());
    for (int keycode = kFirstKeycode; keycode < kKeycodeLimit; ++keycode) {
        const auto byte =
            static_cast<unsigned char>(keys.at(static_cast<std::size_t>(keycode / 8)));
        if (((byte >> (keycode % 8)) & 1U) == 0) {
            continue;
        }
        const auto macKeyCode = MacKeyCodes::fromX11Keycode(static_cast<std::uint32_t>(keycode));
        if (macKeyCode && MacKeyCodes::modifierFlag(*macKeyCode)) {
            heldKeycodes_.set(static_cast<std::size_t>(keycode));
            heldModifierKeys_.set(*macKeyCode);
        }
    }
    updateFlags();
}

std::optional<RawInputEvent> X11GlobalEventSource::Connection::nextEvent() {
    if (!releases_.empty()) {
        const RawInputEvent release = releases_.front();
        releases_.pop_front();
        return release;
    }
    XEvent event{};
    XNextEvent(display_, &event);
    if (event.type == FocusIn && hasFocusLeftTheSession(event.xfocus)) {
        releaseEverythingHeld();
        return std::nullopt;
    }
    return translateRawEvent(event.xcookie);
}

std::optional<RawInputEvent> X11GlobalEventSource::Connection::translateRawEvent(
    XGenericEventCookie& cookie) {
    if (cookie.type != GenericEvent || cookie.extension != xinputOpcode_ ||
        XGetEventData(display_, &cookie) == False) {
        return std::nullopt;
    }
    const int detail = static_cast<const XIRawEvent*>(cookie.data)->detail;
    std::optional<RawInputEvent> translated;
    switch (cookie.evtype) {
        case XI_RawKeyPress:
            translated = translateKey(detail, true);
            break;
        case XI_RawKeyRelease:
            translated = translateKey(detail, false);
            break;
        case XI_RawButtonPress:
            translated = translateButton(detail, true);
            break;
        case XI_RawButtonRelease:
            translated = translateButton(detail, false);
            break;
        default:
            break;
    }
    XFreeEventData(display_, &cookie);
    return translated;
}

// A modifier key pressed or released gives the new flags, never a key press.
std::optional<RawInputEvent> X11GlobalEventSource::Connection::translateKey(int keycode,
                                                                            bool isDown) {
    if (keycode < 0) {
        return std::nullopt;
    }
    const auto macKeyCode = MacKeyCodes::fromX11Keycode(static_cast<std::uint32_t>(keycode));
    if (!macKeyCode) {
        return std::nullopt;
    }
    if (keycode < kKeycodeLimit) {
        heldKeycodes_.set(static_cast<std::size_t>(keycode), isDown);
    }
    if (MacKeyCodes::modifierFlag(*macKeyCode)) {
        heldModifierKeys_.set(*macKeyCode, isDown);
        updateFlags();
        return RawInputEvent{RawInputType::modifiersChanged, *macKeyCode, flags_};
    }
    return RawInputEvent{isDown ? RawInputType::keyDown : RawInputType::keyUp, *macKeyCode, flags_};
}

std::optional<RawInputEvent> X11GlobalEventSource::Connection::translateButton(int button,
                                                                               bool isDown) {
    RawInputType type{};
    if (button == kLeftButton) {
        type = isDown ? RawInputType::leftMouseDown : RawInputType::leftMouseUp;
    } else if (button == kRightButton) {
        type = isDown ? RawInputType::rightMouseDown : RawInputType::rightMouseUp;
    } else if (button == kMiddleButton || button >= kFirstExtraButton) {
        type = isDown ? RawInputType::otherMouseDown : RawInputType::otherMouseUp;
    } else {
        return std::nullopt;
    }
    if (button < kButtonLimit) {
        heldButtons_.set(static_cast<std::size_t>(button), isDown);
    }
    return RawInputEvent{type, 0, flags_};
}

// Either side of a modifier sets its flag while held.
void X11GlobalEventSource::Connection::updateFlags() {
    flags_ = 0;
    for (std::size_t code = 0; code < heldModifierKeys_.size(); ++code) {
        if (heldModifierKeys_.test(code)) {
            flags_ |= MacKeyCodes::modifierFlag(static_cast<std::uint16_t>(code)).value_or(0);
        }
    }
}

// Focus moving between X windows never reaches the root. PointerRoot sends
// keys to the window under the pointer; over no X window they go nowhere.
bool X11GlobalEventSource::Connection::hasFocusLeftTheSession(const XFocusChangeEvent& focus) {
    if (focus.detail == NotifyDetailNone) {
        return true;
    }
    if (focus.detail != NotifyPointerRoot) {
        return false;
    }
    Window root = None;
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    int x = 0;
    int y = 0;
    unsigned int buttons = 0;
    const Bool isOnThisScreen = XQueryPointer(display_, XDefaultRootWindow(display_), &root, &child,
                                              &rootX, &rootY, &x, &y, &buttons);
    return isOnThisScreen == False || child == None;
}

// In the shape of real releases, so the monitor and the engine treat them as
// such; afterwards nothing is held, and a real release that still comes is
// one more release of something not held.
void X11GlobalEventSource::Connection::releaseEverythingHeld() {
    const auto report = [this](std::optional<RawInputEvent> release) {
        if (release) {
            release->isFocusLossRelease = true;
            releases_.push_back(*release);
        }
    };
    for (int keycode = kFirstKeycode; keycode < kKeycodeLimit; ++keycode) {
        if (heldKeycodes_.test(static_cast<std::size_t>(keycode))) {
            report(translateKey(keycode, false));
        }
    }
    for (int button = 0; button < kButtonLimit; ++button) {
        if (heldButtons_.test(static_cast<std::size_t>(button))) {
            report(translateButton(button, false));
        }
    }
}

X11GlobalEventSource::X11GlobalEventSource(std::string displayName, Logger& logger)
    : displayName_(std::move(displayName)), logger_(logger) {}

X11GlobalEventSource::~X11GlobalEventSource() {
    close();
}

bool X11GlobalEventSource::start(EventHandler onEvent, LostHandler onLost) {
    if (connection_) {
        return true;
    }
    connection_ = Connection::open(displayName_);
    if (!connection_) {
        return false;
    }
    onEvent_ = std::move(onEvent);
    onLost_ = std::move(onLost);
    notifier_ = new QSocketNotifier(connection_->socket(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &X11GlobalEventSource::drain);
    // Replies read while starting may have brought events along; the socket will not tell.
    QMetaObject::invokeMethod(this, &X11GlobalEventSource::drain, Qt::QueuedConnection);
    return true;
}

void X11GlobalEventSource::stop() {
    close();
}

// The handler may stop the source, so the connection is looked up again for
// every event.
void X11GlobalEventSource::drain() {
    while (connection_ && connection_->hasPendingEvent()) {
        if (const auto event = connection_->nextEvent(); event && onEvent_) {
            onEvent_(*event);
        }
    }
    if (connection_ && connection_->isLost()) {
        close();
        logger_.log("[InputMonitor] Lost the X display connection; monitoring stopped");
        const LostHandler onLost = std::exchange(onLost_, nullptr);
        if (onLost) {
            onLost();
        }
    }
}

void X11GlobalEventSource::close() {
    if (notifier_ != nullptr) {
        // Possibly called from the notifier's own signal, so it goes later.
        notifier_->setEnabled(false);
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    connection_.reset();
}

}  // namespace thrumwise
