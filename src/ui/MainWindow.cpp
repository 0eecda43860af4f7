#include "ui/MainWindow.h"

#include "ui/EmptyStateView.h"

#include <QAction>

namespace thrumwise {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Thrumwise"));
    setMinimumSize(900, 600);
    setCentralWidget(new EmptyStateView(this));

    auto* settings = new QAction(tr("Settings..."), this);
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settings->setShortcutContext(Qt::WindowShortcut);
    connect(settings, &QAction::triggered, this, &MainWindow::settingsRequested);
    addAction(settings);
}

}  // namespace thrumwise
