#include "ui/EmptyStateView.h"

#include "ui/Style.h"

#include <QLabel>
#include <QVBoxLayout>

namespace thrumwise {

EmptyStateView::EmptyStateView(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(16);
    layout->addStretch();

    auto* symbol = new QLabel(this);
    symbol->setPixmap(style::symbol(QStringLiteral("gamecontroller"), 64, style::secondary()));
    symbol->setAlignment(Qt::AlignCenter);
    layout->addWidget(symbol);

    auto* title = new QLabel(tr("No Profile Selected"), this);
    style::apply(*title, style::TextStyle::title2, style::secondary());
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);

    auto* hint = new QLabel(tr("Select a profile from the sidebar or create a new one"), this);
    style::apply(*hint, style::TextStyle::body, style::secondary());
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    layout->addStretch();
}

}  // namespace thrumwise
