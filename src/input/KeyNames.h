#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace thrumwise {

// The display name the input monitor gives a macOS virtual key code: letters,
// digits, punctuation, Return, Tab, Space, Delete, Escape, F1 to F15 and the
// arrows. Other keys (modifiers, keypad, forward delete, ...) have no name.
std::optional<std::string_view> inputKeyName(std::uint16_t keyCode);

}  // namespace thrumwise
