#include "support/Widgets.h"

VIEW_SUITE(MessageBoxAlertPresenterTest)
// The text comes from the update server; markup in it must stay inert.
void showsTheAlertAsPlainTextAndReportsTheChoice() {
    UpdateAlert alert;
    alert.title = u"Update Available"_s;
    alert.text = u"<a href=\"file:///etc/passwd\">9.9</a>"_s;
    alert.buttons = {u"Update"_s, u"Later"_s};
    QTimer::singleShot(0, qApp, [&alert] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        test::child<QPushButton>(*box, u"Later")->click();
        QVERIFY(box->windowTitle() == alert.title && box->textFormat() == Qt::PlainText);
    });
    QCOMPARE(MessageBoxAlertPresenter().runModal(alert), 1);
}
VIEW_SUITE_END(MessageBoxAlertPresenterTest)
#include "MessageBoxAlertPresenterTest.moc"
