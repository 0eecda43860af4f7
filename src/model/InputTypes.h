#pragma once

#include "model/RawValue.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace thrumwise {

// What a mapping listens to.
enum class TriggerType : std::uint8_t { keyboard, mouse };

// The two buttons the system distinguishes; there is no middle or extra button.
enum class MouseButton : std::uint8_t { left, right };

// The four modifier keys, without side or Caps Lock variants.
enum class ModifierKey : std::uint8_t { shift, control, option, command };

template <>
struct RawValues<TriggerType> {
    static constexpr std::array table{
        std::pair{TriggerType::keyboard, std::string_view{"keyboard"}},
        std::pair{TriggerType::mouse, std::string_view{"mouse"}},
    };
};

template <>
struct RawValues<MouseButton> {
    static constexpr std::array table{
        std::pair{MouseButton::left, std::string_view{"left"}},
        std::pair{MouseButton::right, std::string_view{"right"}},
    };
};

template <>
struct RawValues<ModifierKey> {
    static constexpr std::array table{
        std::pair{ModifierKey::shift, std::string_view{"shift"}},
        std::pair{ModifierKey::control, std::string_view{"control"}},
        std::pair{ModifierKey::option, std::string_view{"option"}},
        std::pair{ModifierKey::command, std::string_view{"command"}},
    };
};

// A set of small enumeration values held as bits, so that the input path's
// set operations are single instructions and copying a set costs nothing.
template <typename Enum>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<Enum> values) {
        for (Enum value : values) {
            insert(value);
        }
    }

    constexpr void insert(Enum value) { bits_ |= bit(value); }
    constexpr void remove(Enum value) { bits_ &= static_cast<std::uint8_t>(~bit(value)); }
    constexpr bool contains(Enum value) const { return (bits_ & bit(value)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr bool isSubsetOf(EnumSet other) const { return (bits_ & ~other.bits_) == 0; }

    constexpr bool operator==(const EnumSet&) const = default;

private:
    static constexpr std::uint8_t bit(Enum value) {
        return static_cast<std::uint8_t>(1U << static_cast<unsigned>(value));
    }

    std::uint8_t bits_ = 0;
};

using ModifierSet = EnumSet<ModifierKey>;
using MouseButtonSet = EnumSet<MouseButton>;

}  // namespace thrumwise
