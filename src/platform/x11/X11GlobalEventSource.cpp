#include "platform/x11/X11GlobalEventSource.h"

#include "common/Logger.h"
#include "platform/MacKeyCodes.h"
#include "platform/x11/X11ErrorHandling.h"
#include "platform/x11/X11RawInput.h"

#include <array>
#include <bitset>
#include <optional>
#include <utility>

#include <QSocketNotifier>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace thrumwise {

namespace {

constexpr int kFirstKeycode = 8;  // X keycodes start at 8
constexpr int kLeftButton = 1;
constexpr int kMiddleButton = 2;
constexpr int kRightButton = 3;
constexpr int kFirstExtraButton = 8;  // 4 to 7 are the scroll wheels

constexpr std::array kRawEventTypes{XI_RawKeyPress, XI_RawKeyRelease, XI_RawButtonPress,
                                    XI_RawButtonRelease};

}  // namespace

// One display connection listening to raw key and button events, and the
// modifier keys held on it. Raw events carry no modifier state, so it is kept
// here from the modifier keys' own presses and releases.
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
    // announces.
    bool hasPendingEvent() { return XQLength(display_) > 0 || XPending(display_) > 0; }

    // The next event as a RawInputEvent; nothing for one without a Mac counterpart.
    std::optional<RawInputEvent> nextEvent();

private:
    bool listen();
    void seedHeldModifiers();
    std::optional<RawInputEvent> translateKey(int keycode, bool isDown);
    std::optional<RawInputEvent> translateButton(int button, bool isDown) const;
    void updateFlags();

    Display* display_;
    bool isLost_ = false;
    int xinputOpcode_ = 0;
    std::bitset<128> heldModifierKeys_;  // by macOS key code
    std::uint64_t flags_ = 0;
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

    // After selecting, so a modifier pressed in between is not missed.
    seedHeldModifiers();
    XSync(display_, False);
    return !isLost_;
}

void X11GlobalEventSource::Connection::seedHeldModifiers() {
    std::array<char, 32> keys{};
    XQueryKeymap(display_, keys.data());
    for (int keycode = kFirstKeycode; keycode < 256; ++keycode) {
        const auto byte =
            static_cast<unsigned char>(keys.at(static_cast<std::size_t>(keycode / 8)));
        if (((byte >> (keycode % 8)) & 1U) == 0) {
            continue;
        }
        const auto macKeyCode = MacKeyCodes::fromX11Keycode(static_cast<std::uint32_t>(keycode));
        if (macKeyCode && MacKeyCodes::modifierFlag(*macKeyCode)) {
            heldModifierKeys_.set(*macKeyCode);
        }
    }
    updateFlags();
}

std::optional<RawInputEvent> X11GlobalEventSource::Connection::nextEvent() {
    XEvent event{};
    XNextEvent(display_, &event);
    XGenericEventCookie& cookie = event.xcookie;
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
    if (MacKeyCodes::modifierFlag(*macKeyCode)) {
        heldModifierKeys_.set(*macKeyCode, isDown);
        updateFlags();
        return RawInputEvent{RawInputType::modifiersChanged, *macKeyCode, flags_};
    }
    return RawInputEvent{isDown ? RawInputType::keyDown : RawInputType::keyUp, *macKeyCode, flags_};
}

std::optional<RawInputEvent> X11GlobalEventSource::Connection::translateButton(int button,
                                                                               bool isDown) const {
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
