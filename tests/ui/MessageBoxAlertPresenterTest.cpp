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
    void showsTitleTextAndButtonsAndReportsTheChoice() {
        UpdateAlert alert;
        alert.title = QStringLiteral("Update Available");
        alert.text = QStringLiteral("Thrumwise 2.0 is available.");
        alert.buttons = {QStringLiteral("Update"), QStringLiteral("Later")};

        QString seenTitle;
        QStringList seenButtons;
        bool seenText = false;
        QTimer::singleShot(0, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            seenTitle = box->windowTitle();
            for (auto* label : box->findChildren<QLabel*>()) {
                seenText = seenText || label->text() == alert.text;
            }
            QPushButton* later = nullptr;
            for (auto* button : box->findChildren<QPushButton*>()) {
                seenButtons << button->text();
                if (button->text() == QStringLiteral("Later")) {
                    later = button;
                }
            }
            QVERIFY(later);
            later->click();
        });

        MessageBoxAlertPresenter presenter;
        QCOMPARE(presenter.runModal(alert), 1);
        QCOMPARE(seenTitle, alert.title);
        QVERIFY(seenText);
        seenButtons.sort();
        QCOMPARE(seenButtons, (QStringList{QStringLiteral("Later"), QStringLiteral("Update")}));
    }
};

QTEST_MAIN(MessageBoxAlertPresenterTest)
#include "MessageBoxAlertPresenterTest.moc"
