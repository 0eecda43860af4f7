#pragma once

#include <functional>

#include <QWidget>

class QLabel;

namespace thrumwise {

// One warning of the status panel: a red title that acts when clicked, and a
// line under it that says what is wrong and what to do.
class PermissionWarning : public QWidget {
    Q_OBJECT

public:
    PermissionWarning(const QString& label, const QString& hint, std::function<void()> action,
                      QWidget* parent = nullptr);

    void setHint(const QString& hint);

private:
    QLabel* hint_;
};

}  // namespace thrumwise
