#include "support/KeyPresses.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QStringView>
#include <QWidget>

namespace thrumwise::test {

void pressKey(QWidget& receiver, const Key& key, Qt::KeyboardModifiers modifiers) {
    constexpr std::uint32_t kX11KeycodeOffset = 8;
    const std::uint32_t scanCode = key.evdev + kX11KeycodeOffset;
    const QString text = QStringView(key.text).toString();
    // Sent rather than posted, so Qt runs the shortcut check before the press.
    QKeyEvent press(QEvent::KeyPress, key.qtKey, modifiers, scanCode, 0, 0, text);
    const QPointer<QWidget> target(&receiver);
    QApplication::sendEvent(target, &press);
    if (target) {
        QKeyEvent release(QEvent::KeyRelease, key.qtKey, modifiers, scanCode, 0, 0, text);
        QApplication::sendEvent(target, &release);
    }
}

}  // namespace thrumwise::test
