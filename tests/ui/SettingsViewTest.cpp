#include "ui/SettingsView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTest>

using namespace thrumwise;

class SettingsViewTest : public QObject {
    Q_OBJECT

    static QCheckBox* switchNamed(QWidget& view, const QString& text) {
        for (auto* box : view.findChildren<QCheckBox*>()) {
            if (box->text() == text) {
                return box;
            }
        }
        return nullptr;
    }

private Q_SLOTS:
    void switchesKeepTheirFixedValues() {
        SettingsView view;
        view.show();
        QCheckBox* login = switchNamed(view, QStringLiteral("Launch at Login"));
        QCheckBox* menuBar = switchNamed(view, QStringLiteral("Show in Menu Bar"));
        QVERIFY(login && menuBar);
        QVERIFY(!login->isChecked());
        QVERIFY(menuBar->isChecked());
        QTest::mouseClick(login, Qt::LeftButton);
        QTest::mouseClick(menuBar, Qt::LeftButton);
        QVERIFY(!login->isChecked());
        QVERIFY(menuBar->isChecked());
    }

    void theDefaultPatternListsTheCatalogueAndStaysOnTheFirst() {
        SettingsView view;
        auto* choice = view.findChild<QComboBox*>();
        QVERIFY(choice);
        QStringList names;
        for (int i = 0; i < choice->count(); ++i) {
            names << choice->itemText(i);
        }
        QCOMPARE(names, (QStringList{QStringLiteral("Recoil 1"), QStringLiteral("Recoil 2"),
                                     QStringLiteral("Movement 1"), QStringLiteral("Movement 2"),
                                     QStringLiteral("Jump"), QStringLiteral("Interact 1"),
                                     QStringLiteral("Interact 2")}));
        QCOMPARE(choice->currentData().toString(), QStringLiteral("sharp_collision"));
        choice->setCurrentIndex(5);
        QCOMPARE(choice->currentData().toString(), QStringLiteral("sharp_collision"));
    }
};

QTEST_MAIN(SettingsViewTest)
#include "SettingsViewTest.moc"
