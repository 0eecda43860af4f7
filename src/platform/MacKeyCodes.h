#pragma once

#include <cstdint>
#include <optional>

// Linux key codes translated to macOS virtual key codes, so that profiles name
// keys the same way on every platform.
namespace thrumwise::MacKeyCodes {

// The macOS virtual key code of the key in the same place on a full-size Mac
// keyboard as Linux (evdev) key `evdevCode`, which is an X keycode minus 8.
// Keys a Mac keyboard lacks (Print Screen, Pause, media keys, ...) have none.
std::optional<std::uint16_t> fromEvdev(std::uint32_t evdevCode);

// The same for an X keycode, which is the evdev code plus 8: what X11 events
// carry, and what Qt reports as a key event's native scan code under X11.
std::optional<std::uint16_t> fromX11Keycode(std::uint32_t x11Keycode);

// Modifier keys report themselves as flags-changed events, not as key presses.
// For a modifier key: the ModifierFlags bit it sets while held, either side;
// Caps Lock sets none of them (it is a lock, not a held modifier). Nothing for
// any other key.
std::optional<std::uint64_t> modifierFlag(std::uint16_t macKeyCode);

}  // namespace thrumwise::MacKeyCodes
