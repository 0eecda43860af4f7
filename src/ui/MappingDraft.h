#pragma once

#include "model/KeyMapping.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace thrumwise {

// What the mapping sheet edits, and the rules for saving it. The values of
// both trigger kinds are kept, so switching back and forth loses nothing; only
// the selected kind's fields are saved.
struct MappingDraft {
    // The edited mapping's values, or those of a new mapping when adding.
    static MappingDraft startingFrom(const std::optional<KeyMapping>& edited);

    std::optional<std::string> editedId;  // absent when adding
    TriggerType triggerType = TriggerType::keyboard;
    std::optional<std::uint16_t> keyCode;
    std::optional<std::string> keyName;
    MouseButton mouseButton = MouseButton::left;
    std::string pattern;
    ModifierSet modifiers;
    bool triggerOnHold = false;
    std::int64_t holdRepeatIntervalMs = 0;

    // A key trigger needs a key; a mouse trigger can always be saved.
    bool canSave() const;

    // Whether `existing` already maps this trigger with the same modifiers.
    // The edited mapping never collides with itself; key names play no part,
    // and a stored mouse mapping without a button never collides.
    bool isDuplicate(const KeyMapping& existing) const;
    bool duplicatesAny(const std::vector<KeyMapping>& existing) const;

    // The mapping to store: the edited mapping's id or a fresh one, and no
    // press cooldown, whatever the edited mapping had.
    KeyMapping toMapping() const;
};

}  // namespace thrumwise
