#pragma once

#include <array>

#include <QWidget>

namespace thrumwise {

// The titles over the mapping table; the rows line their cells up with them.
class MappingColumnHeader : public QWidget {
    Q_OBJECT

public:
    // Action, Haptic Pattern, Modifiers, Hold, Cooldown.
    static constexpr std::array<int, 5> columnWidths{105, 130, 140, 55, 70};
    static constexpr int columnSpacing = 10;

    explicit MappingColumnHeader(QWidget* parent = nullptr);
};

}  // namespace thrumwise
