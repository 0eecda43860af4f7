#include "ui/MessageBoxAlertPresenter.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace thrumwise;

class MessageBoxAlertPresenterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The text comes from the update server; markup in it must stay inert.
    void showsTheAlertAsPlainTextAndReportsTheChoice() {
        UpdateAlert alert;
        alert.title = QStringLiteral("Update Available");
        alert.text =
            QStringLiteral("Thrumwise <a href=\"file:///etc/passwd\">9.9</a> is available.");
        alert.buttons = {QStringLiteral("Update"), QStringLiteral("Later")};

        // Reads the running box, then clicks "Later", or closes the box when
        // there is none, so that a failing test never hangs on it.
        QString title;
        QStringList buttons;
        QList<Qt::TextFormat> textFormats;
        QTimer::singleShot(0, qApp, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            title = box->windowTitle();
            for (auto* label : box->findChildren<QLabel*>()) {
                if (label->text() == alert.text) {
                    textFormats << label->textFormat();
                }
            }
            QPushButton* later = nullptr;
            for (auto* button : box->findChildren<QPushButton*>()) {
                buttons << button->text();
                later = button->text() == QStringLiteral("Later") ? button : later;
            }
            later != nullptr ? later->click() : box->done(-1);
        });

        QCOMPARE(MessageBoxAlertPresenter().runModal(alert), 1);
        QCOMPARE(title, alert.title);
        QCOMPARE(textFormats, QList<Qt::TextFormat>{Qt::PlainText});
        buttons.sort();
        QCOMPARE(buttons, (QStringList{QStringLiteral("Later"), QStringLiteral("Update")}));
    }
};

QTEST_MAIN(MessageBoxAlertPresenterTest)
#include "MessageBoxAlertPresenterTest.moc"
