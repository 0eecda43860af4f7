#include "model/ProfileCoding.h"

#include "model/IsoDate.h"
#include "model/PrettyJsonWriter.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <simdjson.h>

namespace thrumwise {

namespace {

namespace od = simdjson::ondemand;

// ---- where a value sits, for error messages ---------------------------------

// Names the profile and mapping by index, and by id once the id has been read.
// Formatted only when something fails.
struct Location {
    std::size_t profileIndex = 0;
    const std::string* profileId = nullptr;
    std::optional<std::size_t> mappingIndex;
    const std::string* mappingId = nullptr;

    std::string describe() const {
        std::string text = "profile " + std::to_string(profileIndex) + identify(profileId);
        if (mappingIndex) {
            text += ", mapping " + std::to_string(*mappingIndex) + identify(mappingId);
        }
        return text;
    }

    [[noreturn]] void fail(std::string_view problem) const {
        throw ProfileCodingError(describe() + ": " + std::string(problem));
    }

    [[noreturn]] void fail(std::string_view key, std::string_view problem) const {
        fail("key \"" + std::string(key) + "\" " + std::string(problem));
    }

private:
    static std::string identify(const std::string* id) {
        return (id == nullptr || id->empty()) ? std::string() : " (id \"" + *id + "\")";
    }
};

// ---- encoding -----------------------------------------------------------------

class ProfileEncoder {
public:
    explicit ProfileEncoder(PrettyJsonWriter& writer) : writer_(writer) {}

    void encode(const GameProfile& profile, const Location& where) {
        where_ = &where;
        writer_.beginObject();
        text("id", profile.id);
        text("displayName", profile.displayName);
        text("bundleId", profile.bundleId);
        writer_.key("mappings");
        writer_.beginArray();
        for (const KeyMapping& mapping : profile.mappings) {
            encode(mapping);
        }
        writer_.endArray();
        flag("isEnabled", profile.isEnabled);
        flag("blockPressmint", profile.blockPressmint);
        date("createdAt", profile.createdAt);
        date("updatedAt", profile.updatedAt);
        writer_.endObject();
    }

private:
    void encode(const KeyMapping& mapping) {
        writer_.beginObject();
        text("id", mapping.id);
        text("triggerType", rawValue(mapping.triggerType));
        if (mapping.keyCode) {
            integer("keyCode", *mapping.keyCode);
        }
        if (mapping.keyName) {
            text("keyName", *mapping.keyName);
        }
        if (mapping.mouseButton) {
            text("mouseButton", rawValue(*mapping.mouseButton));
        }
        text("hapticPattern", mapping.hapticPattern);
        integer("cooldownMs", mapping.cooldownMs);
        writer_.key("requiredModifiers");
        writer_.beginArray();
        for (ModifierKey modifier : mapping.requiredModifiers) {
            writer_.value(rawValue(modifier));
        }
        writer_.endArray();
        flag("triggerOnHold", mapping.triggerOnHold);
        integer("holdRepeatIntervalMs", mapping.holdRepeatIntervalMs);
        writer_.endObject();
    }

    void text(std::string_view key, std::string_view value) {
        writer_.key(key);
        try {
            writer_.value(value);
        } catch (const PrettyJsonWriter::InvalidText& error) {
            where_->fail(key, std::string("holds ") + error.what());
        }
    }

    void integer(std::string_view key, std::int64_t value) {
        writer_.key(key);
        writer_.value(value);
    }

    void flag(std::string_view key, bool value) {
        writer_.key(key);
        writer_.value(value);
    }

    void date(std::string_view key, Timestamp value) {
        const auto formatted = formatIsoDate(value);
        if (!formatted) {
            where_->fail(key, "holds a date outside the years 0000 to 9999");
        }
        text(key, *formatted);
    }

    PrettyJsonWriter& writer_;
    const Location* where_ = nullptr;
};

// ---- decoding -----------------------------------------------------------------

std::string describeType(od::value& value) {
    switch (value.type().value()) {
        case od::json_type::array:
            return "an array";
        case od::json_type::object:
            return "an object";
        case od::json_type::number:
            return "a number";
        case od::json_type::string:
            return "a string";
        case od::json_type::boolean:
            return "a boolean";
        case od::json_type::null:
            return "a null";
    }
    return "an unknown value";
}

constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kKeyCodeMax = std::numeric_limits<std::uint16_t>::max();

// Reads typed values for the members of one object, failing with the location.
class ValueReader {
public:
    explicit ValueReader(const Location& where) : where_(where) {}

    std::string string(std::string_view key, od::value& value) const {
        expect(key, value, od::json_type::string, "a string");
        return std::string(value.get_string().value());
    }

    bool boolean(std::string_view key, od::value& value) const {
        expect(key, value, od::json_type::boolean, "a boolean");
        return value.get_bool().value();
    }

    // Integral numbers written with a fraction part, such as 160.0, are accepted.
    std::int64_t integer(std::string_view key, od::value& value, std::int64_t min,
                         std::int64_t max) const {
        expect(key, value, od::json_type::number, "an integer");
        od::number number;
        if (value.get_number().get(number) != simdjson::SUCCESS) {
            outOfRange(key, min, max);
        }
        std::optional<std::int64_t> result;
        switch (number.get_number_type()) {
            case od::number_type::signed_integer:
                result = number.get_int64();
                break;
            case od::number_type::unsigned_integer:
                break;  // at least 2^63: beyond every range here
            case od::number_type::floating_point_number: {
                const double floating = number.get_double();
                if (std::trunc(floating) != floating) {
                    where_.fail(key, "should be an integer, not a number with a fraction");
                }
                // 2^63 itself is out of range; every double below it converts exactly.
                constexpr double limit = 9223372036854775808.0;
                if (floating >= -limit && floating < limit) {
                    result = static_cast<std::int64_t>(floating);
                }
                break;
            }
        }
        if (!result || *result < min || *result > max) {
            outOfRange(key, min, max);
        }
        return *result;
    }

    template <typename Enum>
    Enum enumeration(std::string_view key, od::value& value) const {
        const std::string text = string(key, value);
        const auto parsed = fromRawValue<Enum>(text);
        if (!parsed) {
            where_.fail(key, "has the unknown value \"" + text + "\"");
        }
        return *parsed;
    }

    Timestamp date(std::string_view key, od::value& value) const {
        const std::string text = string(key, value);
        const auto parsed = parseIsoDate(text);
        if (!parsed) {
            where_.fail(key, "holds \"" + text + "\", not a date of the form YYYY-MM-DDTHH:MM:SSZ");
        }
        return *parsed;
    }

    od::array array(std::string_view key, od::value& value) const {
        expect(key, value, od::json_type::array, "an array");
        return value.get_array().value();
    }

    od::object object(od::value& value) const {
        if (value.type().value() != od::json_type::object) {
            where_.fail("should be an object, not " + describeType(value));
        }
        return value.get_object().value();
    }

    // A JSON null counts as absent for the optional keys.
    static bool isNull(od::value& value) { return value.type().value() == od::json_type::null; }

private:
    void expect(std::string_view key, od::value& value, od::json_type type,
                std::string_view expected) const {
        if (value.type().value() != type) {
            where_.fail(key, "should be " + std::string(expected) + ", not " + describeType(value));
        }
    }

    [[noreturn]] void outOfRange(std::string_view key, std::int64_t min, std::int64_t max) const {
        where_.fail(key, "is outside " + std::to_string(min) + " to " + std::to_string(max));
    }

    const Location& where_;
};

// Records which required keys an object had, and names the first one missing.
template <std::size_t N>
class RequiredKeys {
public:
    explicit constexpr RequiredKeys(std::array<std::string_view, N> names) : names_(names) {}

    void saw(std::size_t index) { seen_ |= 1U << index; }

    void check(const Location& where) const {
        for (std::size_t i = 0; i < N; ++i) {
            if ((seen_ & (1U << i)) == 0) {
                where.fail(names_[i], "is missing");
            }
        }
    }

private:
    std::array<std::string_view, N> names_;
    unsigned seen_ = 0;
};

KeyMapping decodeMapping(od::value element, Location where) {
    KeyMapping mapping;
    where.mappingId = &mapping.id;
    const ValueReader read(where);
    RequiredKeys<7> required({"id", "triggerType", "hapticPattern", "cooldownMs",
                              "requiredModifiers", "triggerOnHold", "holdRepeatIntervalMs"});
    for (auto field : read.object(element)) {
        const std::string_view key = field.unescaped_key().value();
        od::value value = field.value();
        if (key == "id") {
            mapping.id = read.string(key, value);
            required.saw(0);
        } else if (key == "triggerType") {
            mapping.triggerType = read.enumeration<TriggerType>(key, value);
            required.saw(1);
        } else if (key == "keyCode") {
            mapping.keyCode.reset();
            if (!ValueReader::isNull(value)) {
                mapping.keyCode =
                    static_cast<std::uint16_t>(read.integer(key, value, 0, kKeyCodeMax));
            }
        } else if (key == "keyName") {
            mapping.keyName.reset();
            if (!ValueReader::isNull(value)) {
                mapping.keyName = read.string(key, value);
            }
        } else if (key == "mouseButton") {
            mapping.mouseButton.reset();
            if (!ValueReader::isNull(value)) {
                mapping.mouseButton = read.enumeration<MouseButton>(key, value);
            }
        } else if (key == "hapticPattern") {
            mapping.hapticPattern = read.string(key, value);
            required.saw(2);
        } else if (key == "cooldownMs") {
            mapping.cooldownMs = read.integer(key, value, kInt64Min, kInt64Max);
            required.saw(3);
        } else if (key == "requiredModifiers") {
            mapping.requiredModifiers.clear();
            for (auto modifier : read.array(key, value)) {
                od::value modifierValue = modifier.value();
                mapping.requiredModifiers.push_back(
                    read.enumeration<ModifierKey>(key, modifierValue));
            }
            required.saw(4);
        } else if (key == "triggerOnHold") {
            mapping.triggerOnHold = read.boolean(key, value);
            required.saw(5);
        } else if (key == "holdRepeatIntervalMs") {
            mapping.holdRepeatIntervalMs = read.integer(key, value, kInt64Min, kInt64Max);
            required.saw(6);
        }
    }
    required.check(where);
    return mapping;
}

GameProfile decodeProfile(od::value element, Location where) {
    GameProfile profile;
    where.profileId = &profile.id;
    const ValueReader read(where);
    RequiredKeys<8> required({"id", "displayName", "bundleId", "mappings", "isEnabled",
                              "blockPressmint", "createdAt", "updatedAt"});
    for (auto field : read.object(element)) {
        const std::string_view key = field.unescaped_key().value();
        od::value value = field.value();
        if (key == "id") {
            profile.id = read.string(key, value);
            required.saw(0);
        } else if (key == "displayName") {
            profile.displayName = read.string(key, value);
            required.saw(1);
        } else if (key == "bundleId") {
            profile.bundleId = read.string(key, value);
            required.saw(2);
        } else if (key == "mappings") {
            profile.mappings.clear();
            Location mappingWhere = where;
            mappingWhere.mappingIndex = 0;
            for (auto mapping : read.array(key, value)) {
                profile.mappings.push_back(decodeMapping(mapping.value(), mappingWhere));
                ++*mappingWhere.mappingIndex;
            }
            required.saw(3);
        } else if (key == "isEnabled") {
            profile.isEnabled = read.boolean(key, value);
            required.saw(4);
        } else if (key == "blockPressmint") {
            profile.blockPressmint = read.boolean(key, value);
            required.saw(5);
        } else if (key == "createdAt") {
            profile.createdAt = read.date(key, value);
            required.saw(6);
        } else if (key == "updatedAt") {
            profile.updatedAt = read.date(key, value);
            required.saw(7);
        }
    }
    required.check(where);
    return profile;
}

[[noreturn]] void failSyntax(const simdjson::simdjson_error& error,
                             std::optional<std::size_t> profileIndex) {
    std::string message = "the file is not valid JSON";
    if (profileIndex) {
        message += " (at profile " + std::to_string(*profileIndex) + ")";
    }
    throw ProfileCodingError(message + ": " + error.what());
}

}  // namespace

std::string encodeProfiles(const std::vector<GameProfile>& profiles) {
    PrettyJsonWriter writer;
    ProfileEncoder encoder(writer);
    writer.beginArray();
    Location where;
    for (const GameProfile& profile : profiles) {
        where.profileId = &profile.id;
        encoder.encode(profile, where);
        ++where.profileIndex;
    }
    writer.endArray();
    return writer.take();
}

std::vector<GameProfile> decodeProfiles(std::string_view json) {
    const simdjson::padded_string padded(json);
    od::parser parser;
    std::vector<GameProfile> profiles;
    Location where;
    bool inArray = false;
    try {
        od::document document = parser.iterate(padded);
        if (document.type().value() != od::json_type::array) {
            throw ProfileCodingError("the file should hold an array of profiles");
        }
        inArray = true;
        for (auto element : document.get_array()) {
            profiles.push_back(decodeProfile(element.value(), where));
            ++where.profileIndex;
        }
        // Past the last token the location is out of bounds; anything else is trailing content.
        if (document.current_location().error() != simdjson::OUT_OF_BOUNDS) {
            throw ProfileCodingError("the file holds more than one JSON value");
        }
    } catch (const simdjson::simdjson_error& error) {
        failSyntax(error, inArray ? std::optional(where.profileIndex) : std::nullopt);
    }
    return profiles;
}

}  // namespace thrumwise
