#include "support/Widgets.h"
#include "ui/KeyCaptureView.h"

#include <linux/input-event-codes.h>

using test::Key;

namespace {

constexpr Key kA{KEY_A, Qt::Key_A, u"a"};
constexpr Key kF5{KEY_F5, Qt::Key_F5, {}};

// The control beside a focused field, where a key it lets through is typed.
struct Rig {
    Rig() {
        window.show();
        field->setFocus();
        window.activateWindow();
        static_cast<void>(QTest::qWaitForWindowActive(&window));
    }
    void arm() const { QTest::mouseClick(view->findChild<QAbstractButton*>(), Qt::LeftButton); }
    void press(const Key& key, Qt::KeyboardModifiers modifiers = {}) const {
        test::pressKey(*field, key, modifiers);
    }

    QWidget window;
    KeyCaptureView* view = new KeyCaptureView(&window);
    QLineEdit* field = new QLineEdit(&window);
};

}  // namespace

class KeyCaptureViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Modifiers alone and keys without a Mac code wait, swallowed.
    void recordsTheFirstKeyPressOnlyAndSwallowsItAndNamesIt() {
        Rig rig;
        QSignalSpy changes(rig.view, &KeyCaptureView::keyChanged);
        rig.arm();
        rig.arm();  // changes nothing
        rig.press(Key{KEY_LEFTSHIFT, Qt::Key_Shift, {}}, Qt::ShiftModifier);
        rig.press(Key{KEY_CAPSLOCK, Qt::Key_CapsLock, {}});
        rig.press(Key{KEY_RESERVED, Qt::Key_X, u"x"});
        QVERIFY(rig.view->isCapturing() && !rig.view->keyCode());
        rig.press(kA, Qt::ShiftModifier);
        rig.press(kA);
        QVERIFY(rig.view->keyCode() == 0 && rig.view->keyName() == "A" && changes.count() == 1);
        QVERIFY(!rig.view->isCapturing() && rig.field->text() == u"a");
        QTest::mouseClick(rig.view->findChild<QToolButton*>(), Qt::LeftButton);
        QVERIFY(changes.count() == 2 && !rig.view->keyCode() && !rig.view->keyName());

        // A captured key never reaches a shortcut; hiding the control ends capture.
        QAction refresh(&rig.window);
        refresh.setShortcut(Qt::Key_F5);
        refresh.setShortcutContext(Qt::ApplicationShortcut);
        rig.window.addAction(&refresh);
        QSignalSpy triggered(&refresh, &QAction::triggered);
        rig.arm();
        rig.press(kF5);
        rig.press(kF5);
        QVERIFY(rig.view->keyCode() == 96 && triggered.count() == 1);
        rig.arm();
        rig.view->hide();
        rig.field->clear();
        rig.press(kA);
        QVERIFY(!rig.view->isCapturing() && rig.field->text() == u"a");

        // A name from the table, else the key's printable text, else the code.
        rig.view->show();
        const std::tuple<Key, Qt::KeyboardModifiers, int, QString> keys[] = {
            {{KEY_SPACE, Qt::Key_Space, u" "}, {}, 49, u"Space"_s},
            {{KEY_ESC, Qt::Key_Escape, u"\x1b"}, {}, 53, u"Escape"_s},
            {{KEY_LEFT, Qt::Key_Left, {}}, {}, 123, u"←"_s},
            {{KEY_A, Qt::Key_A, u"\x01"}, Qt::ControlModifier, 0, u"A"_s},
            {{KEY_1, Qt::Key_Exclam, u"!"}, Qt::ShiftModifier, 18, u"!"_s},
            {{KEY_HOME, Qt::Key_Home, {}}, {}, 115, {}},
            {{KEY_DELETE, Qt::Key_Delete, u"\x7f"}, {}, 117, {}}};
        for (const auto& [key, modifiers, code, name] : keys) {
            rig.arm();
            rig.press(key, modifiers);
            QCOMPARE(rig.view->keyCode(), std::optional<std::uint16_t>(code));
            QCOMPARE(rig.view->keyName(),
                     name.isNull() ? std::nullopt : std::optional(name.toStdString()));
            const QString shown = name.isNull() ? u"Key %1"_s.arg(code) : name;
            QCOMPARE(test::child<QLabel>(*rig.view, shown)->textFormat(), Qt::PlainText);
        }
    }
};

QTEST_MAIN(KeyCaptureViewTest)
#include "KeyCaptureViewTest.moc"
