#include "ui/MappingDraft.h"

#include "haptics/HapticPattern.h"
#include "model/Identifier.h"

#include <algorithm>

namespace thrumwise {

MappingDraft MappingDraft::startingFrom(const std::optional<KeyMapping>& edited) {
    MappingDraft draft;
    if (!edited) {
        draft.pattern = std::string(HapticPattern::defaultPattern().id);
        return draft;
    }
    draft.editedId = edited->id;
    draft.triggerType = edited->triggerType;
    draft.keyCode = edited->keyCode;
    draft.keyName = edited->keyName;
    draft.mouseButton = edited->mouseButton.value_or(MouseButton::left);
    draft.pattern = edited->hapticPattern;
    draft.modifiers = edited->requiredModifierSet();
    draft.triggerOnHold = edited->triggerOnHold;
    draft.holdRepeatIntervalMs = edited->holdRepeatIntervalMs;
    return draft;
}

bool MappingDraft::canSave() const {
    return triggerType == TriggerType::mouse || keyCode.has_value();
}

bool MappingDraft::isDuplicate(const KeyMapping& existing) const {
    if (editedId == existing.id || existing.triggerType != triggerType) {
        return false;
    }
    const bool sameTrigger = triggerType == TriggerType::mouse ? existing.mouseButton == mouseButton
                                                               : existing.keyCode == keyCode;
    return sameTrigger && existing.requiredModifierSet() == modifiers;
}

bool MappingDraft::duplicatesAny(const std::vector<KeyMapping>& existing) const {
    return std::any_of(existing.begin(), existing.end(),
                       [this](const KeyMapping& mapping) { return isDuplicate(mapping); });
}

KeyMapping MappingDraft::toMapping() const {
    KeyMapping mapping;
    mapping.id = editedId.value_or(newIdentifier());
    mapping.triggerType = triggerType;
    if (triggerType == TriggerType::keyboard) {
        mapping.keyCode = keyCode;
        mapping.keyName = keyName;
    } else {
        mapping.mouseButton = mouseButton;
    }
    mapping.hapticPattern = pattern;
    mapping.cooldownMs = 0;
    for (ModifierKey modifier : allCases<ModifierKey>()) {
        if (modifiers.contains(modifier)) {
            mapping.requiredModifiers.push_back(modifier);
        }
    }
    mapping.triggerOnHold = triggerOnHold;
    mapping.holdRepeatIntervalMs = holdRepeatIntervalMs;
    return mapping;
}

}  // namespace thrumwise
