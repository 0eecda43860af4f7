#include "haptics/HapticPattern.h"

#include <QTest>

using namespace thrumwise;

class HapticPatternTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lookUpIsByExactName() {
        QCOMPARE(HapticPattern::find("wave")->displayName, std::string_view("Interact 1"));
        QVERIFY(!HapticPattern::find("Wave") && !HapticPattern::find("Interact 1"));
        QCOMPARE(HapticPattern::defaultPattern().id, std::string_view("sharp_collision"));
    }
};

QTEST_GUILESS_MAIN(HapticPatternTest)
#include "HapticPatternTest.moc"
