#pragma once

#include <cstdint>
#include <functional>

namespace thrumwise {

// Events in the shape of the macOS event tap, whatever the platform: the
// input monitor's rules are written in these terms.
enum class QuartzEventType : std::uint32_t {
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    keyDown = 10,
    keyUp = 11,
    flagsChanged = 12,
    otherMouseDown = 25,
    otherMouseUp = 26,
};

// Modifier bits of the event's flags word.
namespace QuartzFlags {
inline constexpr std::uint64_t shift = 0x20000;
inline constexpr std::uint64_t control = 0x40000;
inline constexpr std::uint64_t alternate = 0x80000;
inline constexpr std::uint64_t command = 0x100000;
}  // namespace QuartzFlags

struct QuartzEvent {
    QuartzEventType type = QuartzEventType::keyDown;
    std::int64_t keyCode = 0;  // macOS virtual key code; key events only
    std::uint64_t flags = 0;   // modifier keys held, as QuartzFlags bits
};

// A listen-only source of every key and mouse-button event of the session.
// It never grabs, alters, delays or swallows input.
class GlobalEventSource {
public:
    using EventHandler = std::function<void(const QuartzEvent&)>;
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
