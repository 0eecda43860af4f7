#pragma once

#include "support/SampleProfiles.h"

namespace thrumwise::bench {

// `count` profiles of `mappingsEach` mixed keyboard and mouse mappings, as a
// player with many games has them.
inline std::vector<GameProfile> manyProfiles(int count, int mappingsEach) {
    std::vector<GameProfile> profiles;
    profiles.reserve(static_cast<std::size_t>(count));
    for (int p = 0; p < count; ++p) {
        std::vector<KeyMapping> mappings;
        for (int m = 0; m < mappingsEach; ++m) {
            const std::string id = "MAPPING-" + std::to_string(p) + "-" + std::to_string(m);
            if (m % 4 == 3) {
                mappings.push_back(test::mouseMapping(id, MouseButton::right, "knock"));
            } else {
                KeyMapping mapping = test::keyMapping(id, static_cast<std::uint16_t>(m),
                                                      "sharp_collision", {ModifierKey::shift});
                mapping.keyName = "K" + std::to_string(m);
                mapping.cooldownMs = 160;
                mapping.triggerOnHold = m % 2 == 0;
                mapping.holdRepeatIntervalMs = 120;
                mappings.push_back(std::move(mapping));
            }
        }
        profiles.push_back(
            test::profile("PROFILE-" + std::to_string(p), "Game " + std::to_string(p),
                          "com.example.game" + std::to_string(p), std::move(mappings)));
    }
    return profiles;
}

}  // namespace thrumwise::bench
