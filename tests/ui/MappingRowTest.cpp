#include "support/Widgets.h"

VIEW_SUITE(MappingRowTest)
void theRowShowsItsCellsAndActsOnItsButtons() {
    KeyMapping held =
        test::keyMapping("W", 13, "subtle_collision", {ModifierKey::shift, ModifierKey::command});
    held.keyName = "W";
    held.triggerOnHold = true;
    held.holdRepeatIntervalMs = 160;
    int clicks = 0;
    MappingRow row(
        held, [&clicks] { clicks += 1; }, [&clicks] { clicks += 10; });
    QCOMPARE(test::shownTexts(row),
             (QStringList{u"W"_s, u"Movement 1"_s, u"⌘ Cmd  ⇧ Shift"_s, u"Active"_s, u"160ms"_s}));
    test::child<QPushButton>(row, u"Edit")->click();
    row.findChild<QToolButton*>()->click();
    QCOMPARE(clicks, 11);

    KeyMapping right = test::mouseMapping("R", MouseButton::right, "my<b>rumble</b>");
    right.holdRepeatIntervalMs = 160;
    MappingRow plain(
        right, [] {}, [] {});
    QCOMPARE(test::shownTexts(plain), (QStringList{u"Right Click"_s, u"my<b>rumble</b>"_s}));
    QCOMPARE(test::child<QLabel>(plain, u"my<b>rumble</b>")->textFormat(), Qt::PlainText);
    right.mouseButton.reset();
    QCOMPARE(MappingRow::triggerLabel(right), u"Mouse"_s);
    QCOMPARE(MappingRow::triggerLabel(test::keyMapping("Q", 12, "wave")), u"Key 12"_s);
}
VIEW_SUITE_END(MappingRowTest)
#include "MappingRowTest.moc"
