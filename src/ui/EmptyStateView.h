#pragma once

#include <QWidget>

namespace thrumwise {

// The detail column when no profile is selected.
class EmptyStateView : public QWidget {
    Q_OBJECT

public:
    explicit EmptyStateView(QWidget* parent = nullptr);
};

}  // namespace thrumwise
