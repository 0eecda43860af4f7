// Any bytes as a property list, XML or binary: a value or nothing, never a
// crash, a hang or a leak. Every value read must also be reachable whole, and
// nested no deeper than the reader's limit. The same reader serves a bundle's
// Info.plist in either form.
#include "discovery/PropertyListReader.h"

#include <cstddef>
#include <cstdint>

namespace {

using thrumwise::PropertyListValue;

std::size_t countValues(const PropertyListValue& value, int depth) {
    if (depth > thrumwise::PropertyListReader::maxNesting) {
        __builtin_trap();
    }
    std::size_t count = 1;
    if (const auto* array = value.get<PropertyListValue::Array>()) {
        for (const PropertyListValue& element : *array) {
            count += countValues(element, depth + 1);
        }
    } else if (const auto* dictionary = value.get<PropertyListValue::Dictionary>()) {
        for (const auto& [key, member] : *dictionary) {
            if (value.member(key) != &member) {
                __builtin_trap();
            }
            count += countValues(member, depth + 1);
        }
    }
    return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto value = thrumwise::PropertyListReader::parse(bytes)) {
        countValues(*value, 0);
    }
    return 0;
}
