#pragma once

#include "model/InputTypes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace thrumwise {

// One trigger-to-effect rule inside a profile. Field order is the JSON key order.
struct KeyMapping {
    std::string id;
    TriggerType triggerType = TriggerType::keyboard;
    std::optional<std::uint16_t> keyCode;  // macOS virtual key code; keyboard mappings only
    std::optional<std::string> keyName;
    std::optional<MouseButton> mouseButton;  // mouse mappings only
    std::string hapticPattern;
    std::int64_t cooldownMs = 0;
    // Ordered in the data, matched as a set.
    std::vector<ModifierKey> requiredModifiers;
    bool triggerOnHold = false;
    std::int64_t holdRepeatIntervalMs = 0;

    // Every field in order; requiredModifiers element by element.
    bool operator==(const KeyMapping&) const = default;

    ModifierSet requiredModifierSet() const;
};

}  // namespace thrumwise
