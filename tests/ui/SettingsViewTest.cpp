#include "support/Widgets.h"

VIEW_SUITE(SettingsViewTest)
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
VIEW_SUITE_END(SettingsViewTest)
#include "SettingsViewTest.moc"
