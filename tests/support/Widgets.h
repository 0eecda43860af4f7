#pragma once

// All a view's test needs besides the view: Qt Test, Qt Widgets, a state and samples.
#include "support/AppStateFixture.h"
#include "support/SampleProfiles.h"

#include <cstdint>
#include <string_view>

#include <QtTest>
#include <QtWidgets>

// The view suites speak of the project's types and Qt's string literals throughout.
using namespace thrumwise;
using namespace Qt::StringLiterals;

namespace thrumwise::test {

// The first T under `root` whose text or accessible name is `name`, or null.
template <typename T>
T* child(const QWidget& root, QStringView name) {
    for (T* widget : root.findChildren<T*>()) {
        if constexpr (requires { widget->text(); }) {
            if (widget->text() == name) {
                return widget;
            }
        }
        if (widget->accessibleName() == name) {
            return widget;
        }
    }
    return nullptr;
}

inline void clickRow(QAbstractItemView& list, int row) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualRect(list.model()->index(row, 0)).center());
}

inline QStringList rowTexts(const QAbstractItemModel& model) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts << model.index(row, 0).data().toString();
    }
    return texts;
}

// The texts of the labels that would be on screen with `root`, in creation order.
inline QStringList shownTexts(const QWidget& root) {
    QStringList texts;
    for (const QLabel* label : root.findChildren<QLabel*>()) {
        if (label->isVisibleTo(&root) && !label->text().isEmpty()) {
            texts << label->text();
        }
    }
    return texts;
}

// A key as X11 reports it: its Linux (evdev) code, its Qt key and the text it types.
struct Key {
    std::uint32_t evdev;
    int qtKey;
    std::u16string_view text;
};

// Presses and releases `key` as the window system does: sent, not posted, so
// that shortcuts see it first, with the X keycode (the evdev code plus 8).
inline void pressKey(QWidget& receiver, const Key& key, Qt::KeyboardModifiers modifiers = {}) {
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key.qtKey, modifiers, key.evdev + 8, 0, 0,
                        QStringView(key.text).toString());
        QApplication::sendEvent(&receiver, &event);
    }
}

}  // namespace thrumwise::test
