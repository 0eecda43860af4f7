#include "support/Widgets.h"
#include "ui/KeyCaptureView.h"

#include <linux/input-event-codes.h>

using test::Key;

class KeyCaptureViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Modifiers alone and keys without a Mac code wait, swallowed.
    void recordsTheFirstKeyPressOnlyAndSwallowsItAndNamesIt() {
        // The control beside a focused field, where a key it lets through is typed.
        QWidget window;
        auto* view = new KeyCaptureView(&window);
        auto* field = new QLineEdit(&window);
        window.show();
        field->setFocus();
        window.activateWindow();
        static_cast<void>(QTest::qWaitForWindowActive(&window));
        constexpr Key kA{KEY_A, Qt::Key_A, u"a"};
        constexpr Key kF5{KEY_F5, Qt::Key_F5, {}};
        const auto arm = [view] {
            QTest::mouseClick(view->findChild<QAbstractButton*>(), Qt::LeftButton);
        };
        const auto press = [field](const Key& key, Qt::KeyboardModifiers modifiers = {}) {
            test::pressKey(*field, key, modifiers);
        };
        QSignalSpy changes(view, &KeyCaptureView::keyChanged);
        arm();
        arm();  // changes nothing
        press(Key{KEY_LEFTSHIFT, Qt::Key_Shift, {}}, Qt::ShiftModifier);
        press(Key{KEY_CAPSLOCK, Qt::Key_CapsLock, {}});
        press(Key{KEY_RESERVED, Qt::Key_X, u"x"});
        QVERIFY(view->isCapturing() && !view->keyCode());
        press(kA, Qt::ShiftModifier);
        press(kA);
        QVERIFY(view->keyCode() == 0 && view->keyName() == "A" && changes.count() == 1);
        QVERIFY(!view->isCapturing() && field->text() == u"a");
        QTest::mouseClick(view->findChild<QToolButton*>(), Qt::LeftButton);
        QVERIFY(changes.count() == 2 && !view->keyCode() && !view->keyName());

        // A captured key never reaches a shortcut; hiding the control ends capture.
        QAction refresh(&window);
        refresh.setShortcut(Qt::Key_F5);
        refresh.setShortcutContext(Qt::ApplicationShortcut);
        window.addAction(&refresh);
        QSignalSpy triggered(&refresh, &QAction::triggered);
        arm();
        press(kF5);
        press(kF5);
        QVERIFY(view->keyCode() == 96 && triggered.count() == 1);
        arm();
        view->hide();
        field->clear();
        press(kA);
        QVERIFY(!view->isCapturing() && field->text() == u"a");

        // A name from the table, else the key's printable text, else the code.
        view->show();
        const std::tuple<Key, Qt::KeyboardModifiers, int, QString> keys[] = {
            {{KEY_SPACE, Qt::Key_Space, u" "}, {}, 49, u"Space"_s},
            {{KEY_ESC, Qt::Key_Escape, u"\x1b"}, {}, 53, u"Escape"_s},
            {{KEY_LEFT, Qt::Key_Left, {}}, {}, 123, u"←"_s},
            {{KEY_A, Qt::Key_A, u"\x01"}, Qt::ControlModifier, 0, u"A"_s},
            {{KEY_1, Qt::Key_Exclam, u"!"}, Qt::ShiftModifier, 18, u"!"_s},
            {{KEY_HOME, Qt::Key_Home, {}}, {}, 115, {}},
            {{KEY_DELETE, Qt::Key_Delete, u"\x7f"}, {}, 117, {}}};
        for (const auto& [key, modifiers, code, name] : keys) {
            arm();
            press(key, modifiers);
            QCOMPARE(view->keyCode(), std::optional<std::uint16_t>(code));
            QCOMPARE(view->keyName(),
                     name.isNull() ? std::nullopt : std::optional(name.toStdString()));
            const QString shown = name.isNull() ? u"Key %1"_s.arg(code) : name;
            QCOMPARE(test::child<QLabel>(*view, shown)->textFormat(), Qt::PlainText);
        }
    }
};

QTEST_MAIN(KeyCaptureViewTest)
#include "KeyCaptureViewTest.moc"
