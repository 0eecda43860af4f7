#include "ui/MainWindow.h"

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace thrumwise;

class MainWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cannotShrinkBelowItsMinimum() {
        MainWindow window;
        window.show();
        window.resize(400, 300);
        QVERIFY(window.width() >= 900);
        QVERIFY(window.height() >= 600);
    }

    void showsTheEmptyDetailUntilAProfileIsChosen() {
        MainWindow window;
        QStringList texts;
        for (auto* label : window.findChildren<QLabel*>()) {
            texts << label->text();
        }
        QVERIFY(texts.contains(QStringLiteral("No Profile Selected")));
        QVERIFY(texts.contains(
            QStringLiteral("Select a profile from the sidebar or create a new one")));
    }

    void ctrlCommaAsksForSettingsAndCtrlNOpensNoWindow() {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy settings(&window, &MainWindow::settingsRequested);
        QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(settings.count(), 1);
        const auto windowsBefore = QApplication::topLevelWidgets().size();
        QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
