#include "discovery/PropertyListValue.h"

namespace thrumwise {

const PropertyListValue* PropertyListValue::member(const QString& key) const {
    const auto* dictionary = get<Dictionary>();
    if (dictionary == nullptr) {
        return nullptr;
    }
    const auto found = dictionary->find(key);
    return found == dictionary->end() ? nullptr : &found->second;
}

}  // namespace thrumwise
