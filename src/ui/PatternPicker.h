#pragma once

#include <string>

#include <QComboBox>

namespace thrumwise {

// The choice of haptic pattern: the catalogue in its order, each entry's name
// followed by its description in the secondary colour. A selected pattern the
// catalogue lacks is kept as an extra entry showing its id, so that a mapping
// keeps it when something else about it is edited.
class PatternPicker : public QComboBox {
    Q_OBJECT

public:
    explicit PatternPicker(const std::string& selected, QWidget* parent = nullptr);

    std::string selectedPattern() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace thrumwise
