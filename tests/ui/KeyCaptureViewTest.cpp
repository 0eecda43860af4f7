#include "support/Widgets.h"

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
        auto* face = view->findChild<QAbstractButton*>();
        QSignalSpy changes(view, &KeyCaptureView::keyChanged);
        QTest::mouseClick(face, Qt::LeftButton);
        QTest::mouseClick(face, Qt::LeftButton);  // changes nothing
        test::pressKey(*field, Key{KEY_LEFTSHIFT, Qt::Key_Shift, {}}, Qt::ShiftModifier);
        test::pressKey(*field, Key{KEY_CAPSLOCK, Qt::Key_CapsLock, {}});
        test::pressKey(*field, Key{KEY_RESERVED, Qt::Key_X, u"x"});
        QVERIFY(view->isCapturing() && !view->keyCode());
        test::pressKey(*field, kA, Qt::ShiftModifier);
        test::pressKey(*field, kA);
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
        QTest::mouseClick(face, Qt::LeftButton);
        test::pressKey(*field, kF5);
        test::pressKey(*field, kF5);
        QVERIFY(view->keyCode() == 96 && triggered.count() == 1);
        QTest::mouseClick(face, Qt::LeftButton);
        view->hide();
        field->clear();
        test::pressKey(*field, kA);
        QVERIFY(!view->isCapturing() && field->text() == u"a");

        // A name from the table, else the key's printable text, else the code.
        view->show();
        const std::tuple<Key, Qt::KeyboardModifiers, int, std::optional<std::string>> keys[] = {
            {{KEY_ESC, Qt::Key_Escape, u"\x1b"}, {}, 53, "Escape"},
            {{KEY_A, Qt::Key_A, u"\x01"}, Qt::ControlModifier, 0, "A"},
            {{KEY_1, Qt::Key_Exclam, u"!"}, Qt::ShiftModifier, 18, "!"},
            {{KEY_HOME, Qt::Key_Home, {}}, {}, 115, std::nullopt}};
        for (const auto& [key, modifiers, code, name] : keys) {
            QTest::mouseClick(face, Qt::LeftButton);
            test::pressKey(*field, key, modifiers);
            QCOMPARE(view->keyCode(), std::optional<std::uint16_t>(code));
            QCOMPARE(view->keyName(), name);
        }
        QCOMPARE(test::child<QLabel>(*view, u"Key 115")->textFormat(), Qt::PlainText);
    }
};

QTEST_MAIN(KeyCaptureViewTest)
#include "KeyCaptureViewTest.moc"
