#include "support/Widgets.h"
#include "ui/KeyCaptureView.h"

#include <linux/input-event-codes.h>

using namespace thrumwise;
using namespace Qt::StringLiterals;
using test::Key;

Q_DECLARE_METATYPE(thrumwise::test::Key)

namespace {

constexpr Key kA{KEY_A, Qt::Key_A, u"a"};
constexpr Key kF5{KEY_F5, Qt::Key_F5, {}};

// The control beside a focused field, where a key it lets through is typed.
struct Rig {
    Rig() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(view);
        layout->addWidget(field);
        window.show();
        field->setFocus();
        window.activateWindow();
        static_cast<void>(QTest::qWaitForWindowActive(&window));
    }

    QString shownText() const { return view->findChild<QAbstractButton*>()->accessibleName(); }
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
    // Modifiers alone and keys without a Mac code wait; the first other key is
    // recorded; all are swallowed, and the next key is typed.
    void recordsTheFirstKeyPressOnlyAndSwallowsIt() {
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
        QCOMPARE(rig.view->keyCode(), std::optional<std::uint16_t>(0));
        QCOMPARE(rig.view->keyName(), std::optional<std::string>("A"));
        QVERIFY(!rig.view->isCapturing() && changes.count() == 1);
        QCOMPARE(rig.field->text(), u"a"_s);
    }

    void namesComeFromTheTableElseFromTheKeysText_data() {
        QTest::addColumn<Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");  // null: none, and the code is shown
        const auto row = [](const char* title, Key key, int code, const QString& name,
                            Qt::KeyboardModifiers modifiers = {}) {
            QTest::newRow(title) << key << modifiers << code << name;
        };
        row("Space", {KEY_SPACE, Qt::Key_Space, u" "}, 49, u"Space"_s);
        row("Escape", {KEY_ESC, Qt::Key_Escape, u"\x1b"}, 53, u"Escape"_s);
        row("left arrow", {KEY_LEFT, Qt::Key_Left, {}}, 123, u"←"_s);
        row("Control-A", {KEY_A, Qt::Key_A, u"\x01"}, 0, u"A"_s, Qt::ControlModifier);
        row("Shift-1", {KEY_1, Qt::Key_Exclam, u"!"}, 18, u"!"_s, Qt::ShiftModifier);
        row("Home", {KEY_HOME, Qt::Key_Home, {}}, 115, {});
        row("forward delete", {KEY_DELETE, Qt::Key_Delete, u"\x7f"}, 117, {});
    }

    void namesComeFromTheTableElseFromTheKeysText() {
        QFETCH(Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, code);
        QFETCH(QString, name);
        Rig rig;
        rig.arm();
        rig.press(key, modifiers);
        QCOMPARE(rig.view->keyCode(), std::optional<std::uint16_t>(code));
        QCOMPARE(rig.view->keyName(),
                 name.isNull() ? std::nullopt : std::optional(name.toStdString()));
        QCOMPARE(rig.shownText(), name.isNull() ? u"Key %1"_s.arg(code) : name);
    }

    // A captured key never reaches a shortcut; hiding the control ends capture.
    void shortcutsDoNotSeeTheCapturedKeyAndHidingEndsCapture() {
        Rig rig;
        QAction refresh(&rig.window);
        refresh.setShortcut(Qt::Key_F5);
        refresh.setShortcutContext(Qt::ApplicationShortcut);
        rig.window.addAction(&refresh);
        QSignalSpy triggered(&refresh, &QAction::triggered);
        rig.arm();
        rig.press(kF5);
        QCOMPARE(rig.view->keyCode(), std::optional<std::uint16_t>(96));
        rig.press(kF5);
        QCOMPARE(triggered.count(), 1);

        rig.arm();
        rig.view->hide();
        rig.press(kA);
        QVERIFY(!rig.view->isCapturing() && rig.field->text() == u"a"_s);
    }

    void theClearButtonForgetsTheKeyAndNamesStayPlainText() {
        Rig rig;
        auto* clear = rig.view->findChild<QToolButton*>();
        rig.view->setKey(12, "<b>Q</b>");
        QVERIFY(!clear->isHidden());
        QCOMPARE(test::child<QLabel>(*rig.view, u"<b>Q</b>")->textFormat(), Qt::PlainText);
        rig.arm();
        QVERIFY(clear->isHidden());
        rig.view->stopCapture();
        QSignalSpy changes(rig.view, &KeyCaptureView::keyChanged);
        QTest::mouseClick(clear, Qt::LeftButton);
        QVERIFY(changes.count() == 1 && !rig.view->keyCode() && !rig.view->keyName());
        QVERIFY(clear->isHidden());
    }
};

QTEST_MAIN(KeyCaptureViewTest)
#include "KeyCaptureViewTest.moc"
