#pragma once

#include <QMainWindow>

namespace thrumwise {

// The main window: profiles and their mappings, with the live status panel.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);

Q_SIGNALS:
    // The standard settings command (Ctrl+,).
    void settingsRequested();
};

}  // namespace thrumwise
