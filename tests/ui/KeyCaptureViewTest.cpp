#include "support/Widgets.h"

VIEW_SUITE(KeyCaptureViewTest)
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

    auto* face = view->findChild<QAbstractButton*>();
    QSignalSpy changes(view, &KeyCaptureView::keyChanged);
    QTest::mouseClick(face, Qt::LeftButton);
    test::pressKey(*field, KEY_LEFTSHIFT, Qt::Key_Shift, {}, Qt::ShiftModifier);
    test::pressKey(*field, KEY_CAPSLOCK, Qt::Key_CapsLock);
    test::pressKey(*field, KEY_RESERVED, Qt::Key_X, u"x"_s);
    QVERIFY(view->isCapturing() && !view->keyCode());
    test::pressKey(*field, KEY_A, Qt::Key_A, u"a"_s, Qt::ShiftModifier);
    test::pressKey(*field, KEY_A, Qt::Key_A, u"a"_s);
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
    test::pressKey(*field, KEY_F5, Qt::Key_F5);
    test::pressKey(*field, KEY_F5, Qt::Key_F5);
    QVERIFY(view->keyCode() == 96 && triggered.count() == 1);
    QTest::mouseClick(face, Qt::LeftButton);
    view->hide();
    field->clear();
    test::pressKey(*field, KEY_A, Qt::Key_A, u"a"_s);
    QVERIFY(!view->isCapturing() && field->text() == u"a");

    // A name from the table, else the key's printable text, else the code.
    view->show();
    const std::tuple<unsigned, int, QString, Qt::KeyboardModifiers, int, const char*> keys[] = {
        {KEY_ESC, Qt::Key_Escape, u"\x1b"_s, {}, 53, "Escape"},
        {KEY_A, Qt::Key_A, u"\x01"_s, Qt::ControlModifier, 0, "A"},
        {KEY_1, Qt::Key_Exclam, u"!"_s, Qt::ShiftModifier, 18, "!"},
        {KEY_HOME, Qt::Key_Home, {}, {}, 115, nullptr}};
    for (const auto& [evdev, qtKey, text, modifiers, code, name] : keys) {
        QTest::mouseClick(face, Qt::LeftButton);
        test::pressKey(*field, evdev, qtKey, text, modifiers);
        QCOMPARE(view->keyCode(), std::optional<std::uint16_t>(code));
        QCOMPARE(view->keyName(), name ? std::optional<std::string>(name) : std::nullopt);
    }
    QCOMPARE(test::child<QLabel>(*view, u"Key 115")->textFormat(), Qt::PlainText);
}
VIEW_SUITE_END(KeyCaptureViewTest)
#include "KeyCaptureViewTest.moc"
