#include "support/Widgets.h"
#include "ui/MessageBoxAlertPresenter.h"

using namespace thrumwise;

class MessageBoxAlertPresenterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The text comes from the update server; markup in it must stay inert.
    void showsTheAlertAsPlainTextAndReportsTheChoice() {
        UpdateAlert alert;
        alert.title = QStringLiteral("Update Available");
        alert.text = QStringLiteral("<a href=\"file:///etc/passwd\">9.9</a>");
        alert.buttons = {QStringLiteral("Update"), QStringLiteral("Later")};
        QString title;
        Qt::TextFormat format = Qt::AutoText;
        QTimer::singleShot(0, qApp, [&title, &format] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            title = box->windowTitle();
            format = box->textFormat();
            test::child<QPushButton>(*box, u"Later")->click();
        });
        QCOMPARE(MessageBoxAlertPresenter().runModal(alert), 1);
        QVERIFY(title == alert.title && format == Qt::PlainText);
    }
};

QTEST_MAIN(MessageBoxAlertPresenterTest)
#include "MessageBoxAlertPresenterTest.moc"
