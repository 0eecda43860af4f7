#include "support/SampleProfiles.h"
#include "support/Widgets.h"
#include "ui/MappingRow.h"

#include <QPushButton>
#include <QTest>
#include <QToolButton>

using namespace thrumwise;
using test::keyMapping;
using test::mouseMapping;

namespace {

KeyMapping named(KeyMapping mapping, std::string name) {
    mapping.keyName = std::move(name);
    return mapping;
}

KeyMapping holding(KeyMapping mapping, std::int64_t intervalMs) {
    mapping.triggerOnHold = true;
    mapping.holdRepeatIntervalMs = intervalMs;
    return mapping;
}

}  // namespace

class MappingRowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void triggersAreLabelledByButtonOrKey() {
        KeyMapping buttonless = mouseMapping("M", MouseButton::left, "wave");
        buttonless.mouseButton.reset();
        KeyMapping codeless = keyMapping("K", 0, "wave");
        codeless.keyCode.reset();
        const std::vector<std::pair<KeyMapping, QString>> cases{
            {mouseMapping("L", MouseButton::left, "wave"), QStringLiteral("Left Click")},
            {mouseMapping("R", MouseButton::right, "wave"), QStringLiteral("Right Click")},
            {buttonless, QStringLiteral("Mouse")},
            {named(keyMapping("A", 0, "wave"), "A"), QStringLiteral("A")},
            {keyMapping("Q", 12, "wave"), QStringLiteral("Key 12")},
            {codeless, QStringLiteral("Key 0")},
        };
        for (const auto& [mapping, label] : cases) {
            QCOMPARE(MappingRow::triggerLabel(mapping), label);
        }
    }

    void modifiersAreSummarisedInRawValueOrder() {
        const auto summary = [](std::vector<ModifierKey> modifiers) {
            return MappingRow::modifierSummary(keyMapping("M", 0, "wave", std::move(modifiers)));
        };
        QCOMPARE(summary({}), QString());
        QCOMPARE(summary({ModifierKey::shift, ModifierKey::option, ModifierKey::control,
                          ModifierKey::command}),
                 QStringLiteral("⌘ Cmd  ⌃ Ctrl  ⌥ Opt  ⇧ Shift"));
    }

    void theRowShowsItsCellsAndActsOnItsButtons() {
        int edits = 0;
        int deletes = 0;
        MappingRow held(
            holding(named(keyMapping("W", 13, "subtle_collision"), "W"), 160),
            [&edits] { ++edits; }, [&deletes] { ++deletes; });
        QCOMPARE(test::shownTexts(held),
                 (QStringList{QStringLiteral("W"), QStringLiteral("Movement 1"),
                              QStringLiteral("Active"), QStringLiteral("160ms")}));
        test::withText<QPushButton>(held, QStringLiteral("Edit"))->click();
        held.findChild<QToolButton*>()->click();
        QCOMPARE(edits, 1);
        QCOMPARE(deletes, 1);

        // Without hold the interval stays empty; an unknown pattern shows its id, as plain text.
        KeyMapping unknown =
            mouseMapping("R", MouseButton::right, "my<b>rumble</b>", {ModifierKey::control});
        unknown.holdRepeatIntervalMs = 160;
        MappingRow plain(
            unknown, [] {}, [] {});
        QCOMPARE(test::shownTexts(plain),
                 (QStringList{QStringLiteral("Right Click"), QStringLiteral("my<b>rumble</b>"),
                              QStringLiteral("⌃ Ctrl")}));
        QCOMPARE(test::withText<QLabel>(plain, QStringLiteral("my<b>rumble</b>"))->textFormat(),
                 Qt::PlainText);
    }
};

QTEST_MAIN(MappingRowTest)
#include "MappingRowTest.moc"
