#pragma once

#include "model/RawValue.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

namespace thrumwise {

enum class HapticCategory : std::uint8_t { collision, stateChange, other, effect };

template <>
struct RawValues<HapticCategory> {
    static constexpr std::array table{
        std::pair{HapticCategory::collision, std::string_view{"Collision"}},
        std::pair{HapticCategory::stateChange, std::string_view{"State Change"}},
        std::pair{HapticCategory::other, std::string_view{"Other"}},
        std::pair{HapticCategory::effect, std::string_view{"Effect"}},
    };
};

// One effect the user can assign to a mapping. `id` is what a mapping stores
// and what the plug-in receives; `name` equals it and is what look-ups compare.
struct HapticPattern {
    std::string_view id;
    std::string_view name;
    std::string_view displayName;
    std::string_view description;
    HapticCategory category;

    bool operator==(const HapticPattern&) const = default;

    // The compiled-in catalogue, in the order pickers list it.
    static const std::array<HapticPattern, 7>& allPatterns();

    // Preselected for new mappings: the first entry.
    static const HapticPattern& defaultPattern();

    // The first entry whose name equals `name` exactly (case-sensitive).
    static std::optional<HapticPattern> find(std::string_view name);
};

}  // namespace thrumwise
