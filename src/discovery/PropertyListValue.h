#pragma once

#include <cstdint>
#include <map>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace thrumwise {

// One value of a property list: a string, integer, real, boolean, date, data, array or
// dictionary.
class PropertyListValue {
public:
    using Array = std::vector<PropertyListValue>;
    using Dictionary = std::map<QString, PropertyListValue>;
    using Storage =
        std::variant<QString, std::int64_t, double, bool, QDateTime, QByteArray, Array, Dictionary>;

    // Implicit, so that a string, a number or a container reads as a value where one is expected.
    // The constraint keeps it from standing in for the copy and move constructors.
    // NOLINTBEGIN(google-explicit-constructor,bugprone-forwarding-reference-overload)
    template <typename T>
    requires std::is_constructible_v<Storage, T&&> PropertyListValue(T&& value)
        : storage_(std::forward<T>(value)) {}
    // NOLINTEND(google-explicit-constructor,bugprone-forwarding-reference-overload)

    // The value when it has that type, else nullptr.
    template <typename T>
    const T* get() const {
        return std::get_if<T>(&storage_);
    }

    // The dictionary member under the key, or nullptr when this is no dictionary or lacks it.
    const PropertyListValue* member(const QString& key) const;

    friend bool operator==(const PropertyListValue&, const PropertyListValue&) = default;

private:
    Storage storage_;
};

}  // namespace thrumwise
