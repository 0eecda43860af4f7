#pragma once

#include "discovery/PropertyListValue.h"

#include <optional>

#include <QByteArray>

namespace thrumwise {

// Reads XML and binary ("bplist00") property lists. Any input is safe: what is malformed,
// larger than the limits or cyclic yields nothing, never a crash or a hang.
class PropertyListReader {
public:
    static constexpr qsizetype maxBytes = qsizetype{1} << 20;
    // Arrays and dictionaries inside one another.
    static constexpr int maxNesting = 64;

    static std::optional<PropertyListValue> parse(const QByteArray& bytes);
};

}  // namespace thrumwise
