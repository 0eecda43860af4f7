#include "discovery/BinaryPropertyList.h"

#include <bit>
#include <cmath>
#include <limits>

namespace thrumwise {

namespace {

using Offset = std::uint64_t;

constexpr QByteArrayView magic("bplist00");
constexpr Offset trailerSize = 32;
// Seconds from the Unix epoch to 2001-01-01, where binary dates count from.
constexpr qint64 referenceDateMs = 978'307'200'000;
// Far enough for any real date; keeps the conversion to milliseconds exact and in range.
constexpr double maxDateSeconds = 1e13;
// Shared objects may be referenced many times, so a small file could expand into a huge tree.
// Every value decoded costs this much plus its payload's bytes, against a fixed budget.
constexpr Offset valueCost = 64;
constexpr Offset decodeBudget = Offset{32} << 20;

std::optional<Offset> checkedAdd(Offset a, Offset b) {
    Offset sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return std::nullopt;
    }
    return sum;
}

std::optional<Offset> checkedMul(Offset a, Offset b) {
    Offset product = 0;
    if (__builtin_mul_overflow(a, b, &product)) {
        return std::nullopt;
    }
    return product;
}

class BinaryParser {
public:
    BinaryParser(QByteArrayView bytes, int maxNesting) : bytes_(bytes), maxNesting_(maxNesting) {}

    std::optional<PropertyListValue> parseDocument() {
        const auto size = static_cast<Offset>(bytes_.size());
        if (!bytes_.startsWith(magic) || size < magic.size() + trailerSize) {
            return std::nullopt;
        }
        // Trailer: 6 unused bytes, the offset and reference widths, then three 8-byte numbers.
        objectsEnd_ = size - trailerSize;
        offsetWidth_ = byteAt(objectsEnd_ + 6);
        refWidth_ = byteAt(objectsEnd_ + 7);
        const auto count = readUnsigned(objectsEnd_ + 8, 8, size);
        const auto top = readUnsigned(objectsEnd_ + 16, 8, size);
        const auto table = readUnsigned(objectsEnd_ + 24, 8, size);
        if (offsetWidth_ < 1 || offsetWidth_ > 8 || refWidth_ < 1 || refWidth_ > 8 || !count ||
            !top || !table || *count == 0 || *top >= *count || *table < magic.size()) {
            return std::nullopt;
        }
        const auto tableBytes = checkedMul(*count, offsetWidth_);
        const auto tableEnd = tableBytes ? checkedAdd(*table, *tableBytes) : std::nullopt;
        if (!tableEnd || *tableEnd > objectsEnd_) {
            return std::nullopt;
        }
        tableOffset_ = *table;
        count_ = *count;
        // Bounded by the file's size, which the table has just been checked against.
        open_.assign(static_cast<std::size_t>(count_), false);
        return parseObject(*top, 0);
    }

private:
    unsigned byteAt(Offset at) const {
        return static_cast<unsigned char>(bytes_[static_cast<qsizetype>(at)]);
    }

    // A big-endian number of `width` bytes (1 to 8) that must lie before `end`.
    std::optional<Offset> readUnsigned(Offset at, Offset width, Offset end) const {
        if (at > end || width > end - at) {
            return std::nullopt;
        }
        Offset value = 0;
        for (Offset i = 0; i < width; ++i) {
            value = (value << 8U) | byteAt(at + i);
        }
        return value;
    }

    // The span [at, at + length * unit) when it lies inside the object area.
    std::optional<Offset> checkedSpan(Offset at, Offset length, Offset unit) const {
        const auto bytes = checkedMul(length, unit);
        const auto end = bytes ? checkedAdd(at, *bytes) : std::nullopt;
        if (!end || *end > objectsEnd_) {
            return std::nullopt;
        }
        return bytes;
    }

    bool charge(Offset payloadBytes) {
        const auto cost = checkedAdd(valueCost, payloadBytes);
        if (!cost || *cost > budget_) {
            return false;
        }
        budget_ -= *cost;
        return true;
    }

    // A length held in the marker's low nibble, or after it as an integer object when the nibble
    // is 0xF. Returns the length and where the payload starts.
    std::optional<std::pair<Offset, Offset>> readLength(Offset marker, unsigned info) const {
        if (info != 0xF) {
            return std::pair{Offset{info}, marker + 1};
        }
        if (marker + 1 >= objectsEnd_) {
            return std::nullopt;
        }
        const unsigned intMarker = byteAt(marker + 1);
        if ((intMarker >> 4U) != 0x1 || (intMarker & 0xFU) > 3) {
            return std::nullopt;
        }
        const Offset width = Offset{1} << (intMarker & 0xFU);
        const auto length = readUnsigned(marker + 2, width, objectsEnd_);
        if (!length) {
            return std::nullopt;
        }
        return std::pair{*length, marker + 2 + width};
    }

    std::optional<PropertyListValue> parseObject(Offset index, int depth) {
        if (index >= count_ || open_[static_cast<std::size_t>(index)]) {
            return std::nullopt;
        }
        const auto at =
            readUnsigned(tableOffset_ + index * offsetWidth_, offsetWidth_, objectsEnd_);
        if (!at || *at < magic.size() || *at >= objectsEnd_) {
            return std::nullopt;
        }
        const unsigned marker = byteAt(*at);
        const unsigned info = marker & 0xFU;
        switch (marker >> 4U) {
            case 0x0:
                if ((info != 0x8 && info != 0x9) || !charge(0)) {
                    return std::nullopt;
                }
                return info == 0x9;
            case 0x1:
                return charge(0) ? parseInteger(*at + 1, info) : std::nullopt;
            case 0x2:
                return charge(0) ? parseReal(*at + 1, info) : std::nullopt;
            case 0x3:
                return info == 0x3 && charge(0) ? parseDate(*at + 1) : std::nullopt;
            case 0x4:
            case 0x5:
            case 0x6:
                return parseBytes(*at, marker >> 4U, info);
            case 0xA:
            case 0xD:
                if (depth >= maxNesting_) {
                    return std::nullopt;
                }
                return parseContainer(index, *at, marker >> 4U == 0xD, info, depth);
            default:
                return std::nullopt;
        }
    }

    std::optional<PropertyListValue> parseInteger(Offset at, unsigned info) const {
        if (info <= 3) {
            const Offset width = Offset{1} << info;
            const auto value = readUnsigned(at, width, objectsEnd_);
            if (!value) {
                return std::nullopt;
            }
            // Only the 8-byte form is signed.
            return std::bit_cast<std::int64_t>(*value);
        }
        // The 16-byte form, taken only where the value fits 64 signed bits.
        const auto high = readUnsigned(at, 8, objectsEnd_);
        const auto low = readUnsigned(at + 8, 8, objectsEnd_);
        if (info != 4 || !high || !low) {
            return std::nullopt;
        }
        const bool lowIsNegative =
            *low > static_cast<Offset>(std::numeric_limits<std::int64_t>::max());
        const Offset signExtension = lowIsNegative ? ~Offset{0} : Offset{0};
        if (*high != signExtension) {
            return std::nullopt;
        }
        return std::bit_cast<std::int64_t>(*low);
    }

    std::optional<PropertyListValue> parseReal(Offset at, unsigned info) const {
        if (info == 2) {
            const auto bits = readUnsigned(at, 4, objectsEnd_);
            return bits ? std::optional<PropertyListValue>(static_cast<double>(
                              std::bit_cast<float>(static_cast<std::uint32_t>(*bits))))
                        : std::nullopt;
        }
        const auto bits = info == 3 ? readUnsigned(at, 8, objectsEnd_) : std::nullopt;
        return bits ? std::optional<PropertyListValue>(std::bit_cast<double>(*bits)) : std::nullopt;
    }

    std::optional<PropertyListValue> parseDate(Offset at) const {
        const auto bits = readUnsigned(at, 8, objectsEnd_);
        if (!bits) {
            return std::nullopt;
        }
        const auto seconds = std::bit_cast<double>(*bits);
        if (!std::isfinite(seconds) || std::fabs(seconds) > maxDateSeconds) {
            return std::nullopt;
        }
        const auto ms = static_cast<qint64>(std::llround(seconds * 1000.0));
        return QDateTime::fromMSecsSinceEpoch(referenceDateMs + ms, Qt::UTC);
    }

    // Data (0x4), an ASCII string (0x5) or a UTF-16 big-endian string (0x6).
    std::optional<PropertyListValue> parseBytes(Offset marker, unsigned type, unsigned info) {
        const auto length = readLength(marker, info);
        const Offset unit = type == 0x6 ? 2 : 1;
        const auto bytes = length ? checkedSpan(length->second, length->first, unit) : std::nullopt;
        // Decoded text takes two bytes a character.
        if (!bytes || !charge(type == 0x4 ? *bytes : length->first * 2)) {
            return std::nullopt;
        }
        const QByteArrayView payload =
            bytes_.sliced(static_cast<qsizetype>(length->second), static_cast<qsizetype>(*bytes));
        if (type == 0x4) {
            return payload.toByteArray();
        }
        if (type == 0x5) {
            return QString::fromLatin1(payload);
        }
        QString text(static_cast<qsizetype>(length->first), Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const auto high = static_cast<unsigned char>(payload[2 * i]);
            const auto low = static_cast<unsigned char>(payload[(2 * i) + 1]);
            text[i] = QChar(static_cast<char16_t>((high << 8U) | low));
        }
        return text;
    }

    // An array (references to its elements) or a dictionary (references to all its keys, then
    // to all its values).
    std::optional<PropertyListValue> parseContainer(Offset index, Offset marker, bool isDictionary,
                                                    unsigned info, int depth) {
        const auto length = readLength(marker, info);
        const Offset refsPerEntry = isDictionary ? 2 : 1;
        const auto entries = length ? checkedMul(length->first, refsPerEntry) : std::nullopt;
        const auto refBytes =
            entries ? checkedSpan(length->second, *entries, refWidth_) : std::nullopt;
        if (!refBytes || !charge(0)) {
            return std::nullopt;
        }
        const Offset refs = length->second;
        const Offset count = length->first;
        auto element = [&](Offset position) -> std::optional<PropertyListValue> {
            const auto ref = readUnsigned(refs + position * refWidth_, refWidth_, objectsEnd_);
            return ref ? parseObject(*ref, depth + 1) : std::nullopt;
        };
        // Marked while its elements are read: meeting it again below means a cycle.
        open_[static_cast<std::size_t>(index)] = true;
        std::optional<PropertyListValue> result;
        if (isDictionary) {
            PropertyListValue::Dictionary dictionary;
            for (Offset i = 0; i < count; ++i) {
                auto key = element(i);
                const QString* keyText = key ? key->get<QString>() : nullptr;
                auto value = keyText != nullptr ? element(count + i) : std::nullopt;
                if (!value) {
                    return std::nullopt;
                }
                dictionary.insert_or_assign(*keyText, std::move(*value));
            }
            result = std::move(dictionary);
        } else {
            PropertyListValue::Array array;
            for (Offset i = 0; i < count; ++i) {
                auto value = element(i);
                if (!value) {
                    return std::nullopt;
                }
                array.push_back(std::move(*value));
            }
            result = std::move(array);
        }
        open_[static_cast<std::size_t>(index)] = false;
        return result;
    }

    QByteArrayView bytes_;
    int maxNesting_;
    Offset objectsEnd_ = 0;
    Offset offsetWidth_ = 0;
    Offset refWidth_ = 0;
    Offset tableOffset_ = 0;
    Offset count_ = 0;
    Offset budget_ = decodeBudget;
    std::vector<bool> open_;
};

}  // namespace

std::optional<PropertyListValue> parseBinaryPropertyList(QByteArrayView bytes, int maxNesting) {
    return BinaryParser(bytes, maxNesting).parseDocument();
}

}  // namespace thrumwise
