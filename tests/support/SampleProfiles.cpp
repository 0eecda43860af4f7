#include "support/SampleProfiles.h"

#include "model/IsoDate.h"

#include <utility>

namespace thrumwise::test {

KeyMapping keyMapping(std::string id, std::uint16_t keyCode, std::string pattern,
                      std::vector<ModifierKey> modifiers) {
    KeyMapping mapping;
    mapping.id = std::move(id);
    mapping.triggerType = TriggerType::keyboard;
    mapping.keyCode = keyCode;
    mapping.hapticPattern = std::move(pattern);
    mapping.requiredModifiers = std::move(modifiers);
    return mapping;
}

KeyMapping mouseMapping(std::string id, MouseButton button, std::string pattern,
                        std::vector<ModifierKey> modifiers) {
    KeyMapping mapping;
    mapping.id = std::move(id);
    mapping.triggerType = TriggerType::mouse;
    mapping.mouseButton = button;
    mapping.hapticPattern = std::move(pattern);
    mapping.requiredModifiers = std::move(modifiers);
    return mapping;
}

GameProfile profile(std::string id, std::string name, std::string bundleId,
                    std::vector<KeyMapping> mappings) {
    GameProfile result;
    result.id = std::move(id);
    result.displayName = std::move(name);
    result.bundleId = std::move(bundleId);
    result.mappings = std::move(mappings);
    result.createdAt = *parseIsoDate("2026-03-01T10:20:30Z");
    result.updatedAt = result.createdAt;
    return result;
}

std::vector<GameProfile> manyProfiles(int count, int mappingsEach) {
    std::vector<GameProfile> profiles;
    profiles.reserve(static_cast<std::size_t>(count));
    for (int p = 0; p < count; ++p) {
        std::vector<KeyMapping> mappings;
        for (int m = 0; m < mappingsEach; ++m) {
            const std::string id = "MAPPING-" + std::to_string(p) + "-" + std::to_string(m);
            if (m % 4 == 3) {
                mappings.push_back(mouseMapping(id, MouseButton::right, "knock"));
            } else {
                KeyMapping mapping = keyMapping(id, static_cast<std::uint16_t>(m),
                                                "sharp_collision", {ModifierKey::shift});
                mapping.keyName = "K" + std::to_string(m);
                mapping.cooldownMs = 160;
                mapping.triggerOnHold = m % 2 == 0;
                mapping.holdRepeatIntervalMs = 120;
                mappings.push_back(std::move(mapping));
            }
        }
        profiles.push_back(profile("PROFILE-" + std::to_string(p), "Game " + std::to_string(p),
                                   "com.example.game" + std::to_string(p), std::move(mappings)));
    }
    return profiles;
}

}  // namespace thrumwise::test
