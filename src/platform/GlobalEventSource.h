#pragma once

#include <cstdint>
#include <functional>

namespace thrumwise {

// One key or mouse-button event of the session. Whatever the platform, keys
// are named by macOS virtual key codes and held modifiers by the flag bits
// below, so that profiles mean the same keys everywhere.
enum class RawInputType : std::uint8_t {
    keyDown,
    keyUp,
    modifiersChanged,  // a modifier key alone went down or up; `flags` tell which are held
    leftMouseDown,
    leftMouseUp,
    rightMouseDown,
    rightMouseUp,
    otherMouseDown,  // middle and extra buttons
    otherMouseUp,
};

// The modifier keys held, either side, as bits of RawInputEvent::flags.
namespace ModifierFlags {
inline constexpr std::uint64_t shift = 0x20000;
inline constexpr std::uint64_t control = 0x40000;
inline constexpr std::uint64_t option = 0x80000;    // Alt
inline constexpr std::uint64_t command = 0x100000;  // Super
}  // namespace ModifierFlags

struct RawInputEvent {
    RawInputType type = RawInputType::keyDown;
    std::int64_t keyCode = 0;  // macOS virtual key code; key events only
    std::uint64_t flags = 0;   // ModifierFlags bits
    // A release the source reports by itself because the session lost the
    // keyboard focus: the user did nothing just now.
    bool isFocusLossRelease = false;
};

// A listen-only source of every key and mouse-button event of the session.
// It never grabs, alters, delays or swallows input. When the session loses
// the keyboard focus, the real releases of what is held may never reach it, so
// it reports every key, modifier and button it holds as released (each marked
// isFocusLossRelease) before any later event.
class GlobalEventSource {
public:
    using EventHandler = std::function<void(const RawInputEvent&)>;
    using LostHandler = std::function<void()>;

    virtual ~GlobalEventSource() = default;

    // Starts delivering events to `onEvent` on the GUI thread. Returns false
    // when events cannot be observed (no display, no raw input support).
    // `onLost` runs on the GUI thread if the source later stops by itself
    // (the display connection dropped); a later start may try again.
    virtual bool start(EventHandler onEvent, LostHandler onLost) = 0;

    // Stops delivering; safe to call when stopped.
    virtual void stop() = 0;
};

}  // namespace thrumwise
