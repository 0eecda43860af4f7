#include "support/Widgets.h"

class MessageBoxAlertPresenterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The text comes from the update server; markup in it must stay inert.
    void showsTheAlertAsPlainTextAndReportsTheChoice() {
        UpdateAlert alert;
        alert.title = u"Update Available"_s;
        alert.text = u"<a href=\"file:///etc/passwd\">9.9</a>"_s;
        alert.buttons = {u"Update"_s, u"Later"_s};
        bool shownPlain = false;
        QTimer::singleShot(0, qApp, [&shownPlain, &alert] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            shownPlain = box->windowTitle() == alert.title && box->textFormat() == Qt::PlainText;
            test::child<QPushButton>(*box, u"Later")->click();
        });
        QCOMPARE(MessageBoxAlertPresenter().runModal(alert), 1);
        QVERIFY(shownPlain);
    }
};

QTEST_MAIN(MessageBoxAlertPresenterTest)
#include "MessageBoxAlertPresenterTest.moc"
