#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QStringList>
#include <QWidget>

namespace thrumwise::test {

// The first widget of type T under `root` whose text is `text`, or null.
template <typename T>
T* withText(const QWidget& root, const QString& text) {
    for (T* widget : root.findChildren<T*>()) {
        if (widget->text() == text) {
            return widget;
        }
    }
    return nullptr;
}

// The texts of the labels under `root` that would be on screen with it, in
// creation order.
inline QStringList shownTexts(const QWidget& root) {
    QStringList texts;
    for (const QLabel* label : root.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&root) && !label->text().isEmpty()) {
            texts << label->text();
        }
    }
    return texts;
}

// Whether a button with that text is on screen with `root`.
inline bool showsButton(const QWidget& root, const QString& text) {
    const auto* button = withText<QAbstractButton>(root, text);
    return button != nullptr && button->isVisibleTo(&root);
}

}  // namespace thrumwise::test
