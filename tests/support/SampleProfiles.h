#pragma once

#include "model/GameProfile.h"
#include "model/IsoDate.h"

namespace thrumwise::test {

inline KeyMapping keyMapping(std::string id, std::uint16_t keyCode, std::string pattern,
                             std::vector<ModifierKey> modifiers = {}) {
    KeyMapping mapping;
    mapping.id = std::move(id);
    mapping.keyCode = keyCode;
    mapping.hapticPattern = std::move(pattern);
    mapping.requiredModifiers = std::move(modifiers);
    return mapping;
}

inline KeyMapping mouseMapping(std::string id, MouseButton button, std::string pattern,
                               std::vector<ModifierKey> modifiers = {}) {
    KeyMapping mapping = keyMapping(std::move(id), 0, std::move(pattern), std::move(modifiers));
    mapping.triggerType = TriggerType::mouse;
    mapping.keyCode.reset();
    mapping.mouseButton = button;
    return mapping;
}

// A profile with whole-second dates, so it survives a trip through the file unchanged.
inline GameProfile profile(std::string id, std::string name, std::string bundleId,
                           std::vector<KeyMapping> mappings = {}) {
    const Timestamp created = *parseIsoDate("2026-03-01T10:20:30Z");
    return {.id = std::move(id),
            .displayName = std::move(name),
            .bundleId = std::move(bundleId),
            .mappings = std::move(mappings),
            .createdAt = created,
            .updatedAt = created};
}

}  // namespace thrumwise::test
