// Any bytes as Steam's key-value text: a tree or nothing, never a crash, a
// hang or a leak. Every child must be found again by its key.
#include "discovery/ValveKeyValues.h"

#include <cstddef>
#include <cstdint>

namespace {

using thrumwise::ValveKeyValues;

void walk(const ValveKeyValues& section, int depth) {
    if (depth > ValveKeyValues::maxNesting) {
        __builtin_trap();
    }
    for (const ValveKeyValues& child : section.children()) {
        const ValveKeyValues* found = section.child(child.key());
        if (found == nullptr || found->key().compare(child.key(), Qt::CaseInsensitive) != 0 ||
            (!child.isSection() && !child.children().empty())) {
            __builtin_trap();
        }
        walk(child, depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView text(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto root = ValveKeyValues::parse(text)) {
        walk(*root, 0);
    }
    return 0;
}
