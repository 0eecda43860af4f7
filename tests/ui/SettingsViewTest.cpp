#include "support/Widgets.h"

class SettingsViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theSettingsKeepTheirFixedValues() {
        SettingsView view;
        view.show();
        auto* login = test::child<QCheckBox>(view, u"Launch at Login");
        auto* menuBar = test::child<QCheckBox>(view, u"Show in Menu Bar");
        login->click();
        menuBar->click();
        QVERIFY(!login->isChecked() && menuBar->isChecked());
        auto* pattern = view.findChild<QComboBox*>();
        pattern->setCurrentIndex(5);
        QCOMPARE(pattern->currentData().toString(), u"sharp_collision"_s);
    }
};

QTEST_MAIN(SettingsViewTest)
#include "SettingsViewTest.moc"
