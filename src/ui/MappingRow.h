#pragma once

#include "model/KeyMapping.h"

#include <functional>

#include <QWidget>

namespace thrumwise {

// One mapping of the profile editor's table, with its edit and delete buttons.
class MappingRow : public QWidget {
    Q_OBJECT

public:
    MappingRow(const KeyMapping& mapping, std::function<void()> onEdit,
               std::function<void()> onDelete, QWidget* parent = nullptr);

    // "Left Click", "Right Click" or "Mouse"; the key's name, else "Key " and its code.
    static QString triggerLabel(const KeyMapping& mapping);
    // The required modifiers as "⌘ Cmd  ⌃ Ctrl  ⌥ Opt  ⇧ Shift", in that order.
    static QString modifierSummary(const KeyMapping& mapping);
    // The pattern's display name, or the stored id when the catalogue lacks it.
    static QString patternName(const KeyMapping& mapping);
};

}  // namespace thrumwise
