#pragma once

#include <cstdint>
#include <string_view>

#include <Qt>

class QWidget;

namespace thrumwise::test {

// A key as X11 reports it: its Linux (evdev) code, its Qt key and the text
// it types.
struct Key {
    std::uint32_t evdev;
    int qtKey;
    std::u16string_view text;
};

// Presses and releases `key` on `receiver` as a key from the window system
// arrives: shortcuts get their chance first, and the native scan code is the
// X keycode (the evdev code plus 8).
void pressKey(QWidget& receiver, const Key& key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

}  // namespace thrumwise::test
