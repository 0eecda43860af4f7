#pragma once

#include <QWidget>

namespace thrumwise {

// The settings window's content. Display-only: every control shows a fixed
// value and returns to it when the user changes it; nothing is stored.
class SettingsView : public QWidget {
    Q_OBJECT

public:
    explicit SettingsView(QWidget* parent = nullptr);
};

}  // namespace thrumwise
