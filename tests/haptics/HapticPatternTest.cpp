#include "haptics/HapticPattern.h"

#include <QTest>

using namespace thrumwise;

class HapticPatternTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void catalogueHoldsTheSevenEffectsInPickerOrder() {
        const auto& all = HapticPattern::allPatterns();
        const std::vector<std::pair<std::string_view, std::string_view>> expected{
            {"sharp_collision", "Recoil 1"},
            {"sharp_state_change", "Recoil 2"},
            {"subtle_collision", "Movement 1"},
            {"damp_collision", "Movement 2"},
            {"damp_state_change", "Jump"},
            {"wave", "Interact 1"},
            {"knock", "Interact 2"}};
        QCOMPARE(all.size(), expected.size());
        for (std::size_t i = 0; i < all.size(); ++i) {
            QCOMPARE(all[i].id, expected[i].first);
            QCOMPARE(all[i].name, all[i].id);
            QCOMPARE(all[i].displayName, expected[i].second);
            QVERIFY(!all[i].description.empty());
            QVERIFY(all[i].category != HapticCategory::other);
        }
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
