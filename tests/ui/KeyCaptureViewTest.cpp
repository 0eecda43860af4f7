#include "support/KeyPresses.h"
#include "ui/KeyCaptureView.h"

#include <algorithm>
#include <linux/input-event-codes.h>

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using namespace thrumwise;
using test::Key;

Q_DECLARE_METATYPE(thrumwise::test::Key)

namespace {

constexpr Key kA{KEY_A, Qt::Key_A, u"a"};
constexpr Key kS{KEY_S, Qt::Key_S, u"s"};
constexpr Key kF5{KEY_F5, Qt::Key_F5, {}};

// A window with the control and a focused field, so a key the control lets
// through shows up as text in the field.
struct Rig {
    Rig() : view(new KeyCaptureView(&window)), field(new QLineEdit(&window)) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(view);
        layout->addWidget(field);
        window.show();
        field->setFocus();
        window.activateWindow();
        static_cast<void>(QTest::qWaitForWindowActive(&window));
    }

    QAbstractButton* captureButton() const { return view->findChild<QAbstractButton*>(); }
    QString shownText() const { return captureButton()->accessibleName(); }
    void arm() const { QTest::mouseClick(captureButton(), Qt::LeftButton); }
    void press(const Key& key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        test::pressKey(*field, key, modifiers);
    }

    QWidget window;
    KeyCaptureView* view;
    QLineEdit* field;
};

}  // namespace

class KeyCaptureViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordsTheFirstKeyPressOnlyAndSwallowsIt() {
        Rig rig;
        QCOMPARE(rig.shownText(), QStringLiteral("Click to capture key"));
        QSignalSpy changes(rig.view, &KeyCaptureView::keyChanged);
        rig.arm();
        rig.arm();  // changes nothing
        QVERIFY(rig.view->isCapturing());
        QCOMPARE(rig.shownText(), QStringLiteral("Press any key..."));

        rig.press(kA);
        rig.press(kS);
        QCOMPARE(rig.view->keyCode(), std::optional<std::uint16_t>(0));
        QCOMPARE(rig.view->keyName(), std::optional<std::string>("A"));
        QCOMPARE(rig.shownText(), QStringLiteral("A"));
        QVERIFY(!rig.view->isCapturing());
        QCOMPARE(changes.count(), 1);
        QCOMPARE(rig.field->text(), QStringLiteral("s"));
    }

    void namesComeFromTheTableElseFromTheKeysText_data() {
        QTest::addColumn<Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");  // null: no name
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* title, Key key, int code, const QString& name,
                            const QString& shown, Qt::KeyboardModifiers modifiers = {}) {
            QTest::newRow(title) << key << modifiers << code << name << shown;
        };
        row("Space", {KEY_SPACE, Qt::Key_Space, u" "}, 49, QStringLiteral("Space"), {});
        row("Escape", {KEY_ESC, Qt::Key_Escape, u"\x1b"}, 53, QStringLiteral("Escape"), {});
        row("left arrow", {KEY_LEFT, Qt::Key_Left, {}}, 123, QStringLiteral("\u2190"), {});
        row("Control-A", {KEY_A, Qt::Key_A, u"\x01"}, 0, QStringLiteral("A"), {},
            Qt::ControlModifier);
        row("Shift-1", {KEY_1, Qt::Key_Exclam, u"!"}, 18, QStringLiteral("!"), {},
            Qt::ShiftModifier);
        // Without a name the control shows the code.
        row("Home", {KEY_HOME, Qt::Key_Home, {}}, 115, {}, QStringLiteral("Key 115"));
        row("forward delete", {KEY_DELETE, Qt::Key_Delete, u"\x7f"}, 117, {},
            QStringLiteral("Key 117"));
    }

    void namesComeFromTheTableElseFromTheKeysText() {
        QFETCH(Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, code);
        QFETCH(QString, name);
        QFETCH(QString, shown);
        Rig rig;
        rig.arm();
        rig.press(key, modifiers);
        QVERIFY(!rig.view->isCapturing());
        QCOMPARE(rig.view->keyCode(), std::optional<std::uint16_t>(code));
        QCOMPARE(rig.view->keyName(),
                 name.isNull() ? std::nullopt : std::optional(name.toStdString()));
        QCOMPARE(rig.shownText(), shown.isNull() ? name : shown);
    }

    void modifiersAloneWaitAndKeysWithoutACodeAreSwallowed() {
        Rig rig;
        rig.arm();
        rig.press(Key{KEY_LEFTSHIFT, Qt::Key_Shift, {}}, Qt::ShiftModifier);
        rig.press(Key{KEY_CAPSLOCK, Qt::Key_CapsLock, {}});
        // No Mac key has this code: nothing to record, and nothing typed either.
        rig.press(Key{KEY_RESERVED, Qt::Key_X, u"x"});
        QVERIFY(rig.view->isCapturing() && !rig.view->keyCode());
        QVERIFY(rig.field->text().isEmpty());
        rig.press(kA, Qt::ShiftModifier);
        QCOMPARE(rig.view->keyCode(), std::optional<std::uint16_t>(0));
    }

    void shortcutsDoNotSeeTheCapturedKey() {
        Rig rig;
        QAction refresh(&rig.window);
        refresh.setShortcut(Qt::Key_F5);
        refresh.setShortcutContext(Qt::ApplicationShortcut);
        rig.window.addAction(&refresh);
        QSignalSpy triggered(&refresh, &QAction::triggered);
        rig.press(kF5);
        QCOMPARE(triggered.count(), 1);
        rig.arm();
        rig.press(kF5);
        QCOMPARE(triggered.count(), 1);
        QCOMPARE(rig.view->keyCode(), std::optional<std::uint16_t>(96));
    }

    void hidingTheControlEndsCapture() {
        Rig rig;
        rig.arm();
        rig.view->hide();
        QVERIFY(!rig.view->isCapturing());
        rig.press(kA);
        QCOMPARE(rig.field->text(), QStringLiteral("a"));
        QVERIFY(!rig.view->keyCode());
    }

    void theClearButtonForgetsTheKeyAndNamesStayPlainText() {
        Rig rig;
        auto* clear = rig.view->findChild<QToolButton*>();
        QVERIFY(clear->isHidden());
        rig.view->setKey(12, "<b>Q</b>");
        QVERIFY(!clear->isHidden());
        QCOMPARE(rig.shownText(), QStringLiteral("<b>Q</b>"));
        const auto labels = rig.view->findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [](const QLabel* label) {
            return label->text() == QStringLiteral("<b>Q</b>") &&
                   label->textFormat() == Qt::PlainText;
        }));
        rig.arm();
        QVERIFY(clear->isHidden());
        rig.view->stopCapture();

        QSignalSpy changes(rig.view, &KeyCaptureView::keyChanged);
        QTest::mouseClick(clear, Qt::LeftButton);
        QCOMPARE(changes.count(), 1);
        QVERIFY(!rig.view->keyCode() && !rig.view->keyName());
        QCOMPARE(rig.shownText(), QStringLiteral("Click to capture key"));
    }
};

QTEST_MAIN(KeyCaptureViewTest)
#include "KeyCaptureViewTest.moc"
