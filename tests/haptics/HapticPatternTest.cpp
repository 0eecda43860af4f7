#include "haptics/HapticPattern.h"

#include <QTest>

using namespace thrumwise;

class HapticPatternTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The display names, in this order, are the settings view's to show.
    void catalogueHoldsTheSevenEffectsInPickerOrder() {
        std::vector<std::string_view> ids;
        for (const auto& pattern : HapticPattern::allPatterns()) {
            ids.push_back(pattern.id);
            QCOMPARE(pattern.name, pattern.id);
            QVERIFY(!pattern.description.empty() && pattern.category != HapticCategory::other);
        }
        QCOMPARE(ids, (std::vector<std::string_view>{"sharp_collision", "sharp_state_change",
                                                     "subtle_collision", "damp_collision",
                                                     "damp_state_change", "wave", "knock"}));
        QCOMPARE(HapticPattern::defaultPattern().id, std::string_view("sharp_collision"));
        QVERIFY(HapticPattern::find("sharp_state_change")->category == HapticCategory::stateChange);
        QCOMPARE(HapticPattern::find("knock")->description, std::string_view("Triple knock"));
    }

    void lookUpIsByExactName() {
        QCOMPARE(HapticPattern::find("wave")->displayName, std::string_view("Interact 1"));
        QVERIFY(!HapticPattern::find("Wave"));
        QVERIFY(!HapticPattern::find("Interact 1"));
        QVERIFY(!HapticPattern::find(""));
    }

    void categoriesKeepTheirRawValuesAndOrder() {
        const auto cases = allCases<HapticCategory>();
        QCOMPARE(cases.size(), std::size_t{4});
        QCOMPARE(rawValue(cases[1]), std::string_view("State Change"));
        QVERIFY(fromRawValue<HapticCategory>("Effect") == HapticCategory::effect);
        QVERIFY(!fromRawValue<HapticCategory>("effect"));
    }
};

QTEST_GUILESS_MAIN(HapticPatternTest)
#include "HapticPatternTest.moc"
