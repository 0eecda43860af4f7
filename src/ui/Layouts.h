#pragma once

#include <QBoxLayout>

namespace thrumwise {

// Layouts without margins, for rows and columns set inside other layouts.
inline QVBoxLayout* tightColumn(QWidget* parent, int spacing) {
    auto* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

inline QHBoxLayout* tightRow(QWidget* parent, int spacing) {
    auto* layout = new QHBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    return layout;
}

}  // namespace thrumwise
