#pragma once

#include "model/GameProfile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace thrumwise::test {

KeyMapping keyMapping(std::string id, std::uint16_t keyCode, std::string pattern,
                      std::vector<ModifierKey> modifiers = {});
KeyMapping mouseMapping(std::string id, MouseButton button, std::string pattern,
                        std::vector<ModifierKey> modifiers = {});

// A profile with whole-second dates, so it survives a trip through the file unchanged.
GameProfile profile(std::string id, std::string name, std::string bundleId,
                    std::vector<KeyMapping> mappings = {});

// `count` profiles of `mappingsEach` mixed keyboard and mouse mappings.
std::vector<GameProfile> manyProfiles(int count, int mappingsEach);

}  // namespace thrumwise::test
