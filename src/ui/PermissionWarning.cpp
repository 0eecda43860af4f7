#include "ui/PermissionWarning.h"

#include "ui/Layouts.h"
#include "ui/Style.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace thrumwise {

PermissionWarning::PermissionWarning(const QString& label, const QString& hint,
                                     std::function<void()> action, QWidget* parent)
    : QWidget(parent), hint_(style::plainLabel(hint, this)) {
    auto* layout = tightColumn(this, 2);

    auto* title = new QPushButton(label, this);
    title->setFlat(true);
    title->setCursor(Qt::PointingHandCursor);
    title->setIcon(
        style::symbol(QStringLiteral("exclamationmark.triangle.fill"), 14, style::negative()));
    title->setIconSize(QSize(14, 14));
    style::apply(*title, style::TextStyle::caption, style::negative(), style::Weight::bold);
    title->setStyleSheet(
        QStringLiteral("QPushButton { border: none; padding: 0; text-align: left; }"));
    title->setAccessibleDescription(hint);
    connect(title, &QPushButton::clicked, this, [action = std::move(action)] { action(); });
    layout->addWidget(title, 0, Qt::AlignLeft);

    style::apply(*hint_, style::TextStyle::caption2, style::secondary());
    hint_->setWordWrap(true);
    layout->addWidget(hint_);
}

void PermissionWarning::setHint(const QString& hint) {
    hint_->setText(hint);
}

}  // namespace thrumwise
