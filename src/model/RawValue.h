#pragma once

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace thrumwise {

// Enumerations stored or sent as text specialise RawValues with their cases,
// in declaration order, each paired with its exact raw string.
template <typename Enum>
struct RawValues;

template <typename Enum>
constexpr std::string_view rawValue(Enum value) {
    for (const auto& [candidate, text] : RawValues<Enum>::table) {
        if (candidate == value) {
            return text;
        }
    }
    return {};
}

// Case-sensitive: only the exact raw string is accepted.
template <typename Enum>
constexpr std::optional<Enum> fromRawValue(std::string_view text) {
    for (const auto& [candidate, raw] : RawValues<Enum>::table) {
        if (raw == text) {
            return candidate;
        }
    }
    return std::nullopt;
}

template <typename Enum>
constexpr auto allCases() {
    std::array<Enum, RawValues<Enum>::table.size()> cases{};
    std::transform(RawValues<Enum>::table.begin(), RawValues<Enum>::table.end(), cases.begin(),
                   [](const auto& entry) { return entry.first; });
    return cases;
}

}  // namespace thrumwise
