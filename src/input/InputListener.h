#pragma once

#include "model/InputTypes.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace thrumwise {

// Hears the input monitor's presses and releases, with the modifiers held.
// Called on the GUI thread, never under the monitor's lock.
class InputListener {
public:
    virtual ~InputListener() = default;

    virtual void keyDown(std::uint16_t /*keyCode*/, std::optional<std::string_view> /*keyName*/,
                         ModifierSet /*modifiers*/) {}
    virtual void keyUp(std::uint16_t /*keyCode*/, std::optional<std::string_view> /*keyName*/,
                       ModifierSet /*modifiers*/) {}
    virtual void mouseDown(MouseButton /*button*/, ModifierSet /*modifiers*/) {}
    virtual void mouseUp(MouseButton /*button*/, ModifierSet /*modifiers*/) {}
};

}  // namespace thrumwise
