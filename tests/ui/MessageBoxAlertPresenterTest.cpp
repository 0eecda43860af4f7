#include "ui/MessageBoxAlertPresenter.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace thrumwise;

namespace {

// What the modal box showed, read from its widgets while it ran.
struct Seen {
    QString title;
    QStringList buttons;
    bool hasText = false;
    bool isPlainText = false;
};

// Reads the running box, then clicks the button labelled `choice`, or closes
// the box when there is none, so that a failing test never hangs on it.
void answerAhead(const QString& text, const QString& choice, Seen& seen) {
    QTimer::singleShot(0, qApp, [&seen, text, choice] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        seen.title = box->windowTitle();
        for (auto* label : box->findChildren<QLabel*>()) {
            if (label->text() == text) {
                seen.hasText = true;
                seen.isPlainText = label->textFormat() == Qt::PlainText;
            }
        }
        QPushButton* chosen = nullptr;
        for (auto* button : box->findChildren<QPushButton*>()) {
            seen.buttons << button->text();
            if (button->text() == choice) {
                chosen = button;
            }
        }
        if (chosen != nullptr) {
            chosen->click();
        } else {
            box->done(-1);
        }
    });
}

}  // namespace

class MessageBoxAlertPresenterTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTitleTextAndButtonsAndReportsTheChoice() {
        UpdateAlert alert;
        alert.title = QStringLiteral("Update Available");
        alert.text = QStringLiteral("Thrumwise 2.0 is available.");
        alert.buttons = {QStringLiteral("Update"), QStringLiteral("Later")};
        Seen seen;
        answerAhead(alert.text, QStringLiteral("Later"), seen);

        MessageBoxAlertPresenter presenter;
        QCOMPARE(presenter.runModal(alert), 1);
        QCOMPARE(seen.title, alert.title);
        QVERIFY(seen.hasText);
        seen.buttons.sort();
        QCOMPARE(seen.buttons, (QStringList{QStringLiteral("Later"), QStringLiteral("Update")}));
    }

    // The text comes from the update server; markup in it must stay inert.
    void serverTextIsNeverMarkup() {
        UpdateAlert alert;
        alert.title = QStringLiteral("Update Required");
        alert.text =
            QStringLiteral("Thrumwise <a href=\"file:///etc/passwd\">9.9</a> is available.");
        alert.buttons = {QStringLiteral("Update Now")};
        Seen seen;
        answerAhead(alert.text, QStringLiteral("Update Now"), seen);

        MessageBoxAlertPresenter presenter;
        QCOMPARE(presenter.runModal(alert), 0);
        QVERIFY(seen.hasText);
        QVERIFY(seen.isPlainText);
    }
};

QTEST_MAIN(MessageBoxAlertPresenterTest)
#include "MessageBoxAlertPresenterTest.moc"
