#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLabel>
#include <QStringList>
#include <QTest>
#include <QWidget>

namespace thrumwise::test {

// The first widget of type T under `root` that `matches`, or null.
template <typename T, typename Predicate>
T* firstChild(const QWidget& root, Predicate matches) {
    for (T* widget : root.findChildren<T*>()) {
        if (matches(*widget)) {
            return widget;
        }
    }
    return nullptr;
}

// The first widget of type T under `root` whose text is `text`, or null.
template <typename T>
T* withText(const QWidget& root, const QString& text) {
    return firstChild<T>(root, [&text](const T& widget) { return widget.text() == text; });
}

// The first widget of type T under `root` whose accessible name is `name`, or null.
template <typename T>
T* named(const QWidget& root, const QString& name) {
    return firstChild<T>(root,
                         [&name](const T& widget) { return widget.accessibleName() == name; });
}

// Clicks the middle of a row of the list, as a user picks it.
inline void clickRow(QAbstractItemView& list, int row) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualRect(list.model()->index(row, 0)).center());
}

// What the model's rows show, in order.
inline QStringList rowTexts(const QAbstractItemModel& model) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts << model.index(row, 0).data().toString();
    }
    return texts;
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
