#include "haptics/HapticPattern.h"

#include <algorithm>

namespace thrumwise {

namespace {

constexpr HapticPattern pattern(std::string_view id, std::string_view displayName,
                                std::string_view description, HapticCategory category) {
    return HapticPattern{id, id, displayName, description, category};
}

constexpr std::array<HapticPattern, 7> kCatalogue{
    pattern("sharp_collision", "Recoil 1", "High-intensity impact", HapticCategory::collision),
    pattern("sharp_state_change", "Recoil 2", "High-intensity impact - longer",
            HapticCategory::stateChange),
    pattern("subtle_collision", "Movement 1", "Low-intensity", HapticCategory::collision),
    pattern("damp_collision", "Movement 2", "Medium impact", HapticCategory::collision),
    pattern("damp_state_change", "Jump", "Soft double tap", HapticCategory::stateChange),
    pattern("wave", "Interact 1", "Wave pattern", HapticCategory::effect),
    pattern("knock", "Interact 2", "Triple knock", HapticCategory::effect),
};

}  // namespace

const std::array<HapticPattern, 7>& HapticPattern::allPatterns() {
    return kCatalogue;
}

const HapticPattern& HapticPattern::defaultPattern() {
    return kCatalogue.front();
}

std::optional<HapticPattern> HapticPattern::find(std::string_view name) {
    const auto* found =
        std::find_if(kCatalogue.begin(), kCatalogue.end(),
                     [name](const HapticPattern& entry) { return entry.name == name; });
    if (found == kCatalogue.end()) {
        return std::nullopt;
    }
    return *found;
}

}  // namespace thrumwise
