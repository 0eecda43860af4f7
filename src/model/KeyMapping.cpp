#include "model/KeyMapping.h"

namespace thrumwise {

ModifierSet KeyMapping::requiredModifierSet() const {
    ModifierSet set;
    for (ModifierKey modifier : requiredModifiers) {
        set.insert(modifier);
    }
    return set;
}

}  // namespace thrumwise
