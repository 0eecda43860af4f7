#include "common/RepeatingTimer.h"

#include <QElapsedTimer>
#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;

class QtTimerFactoryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Ticks each interval until the timer goes, even when a tick destroys it; its state lives on.
    void ticksRepeatedlyUntilTheTimerGoes() {
        QtTimerFactory factory;
        QElapsedTimer clock;
        clock.start();
        std::vector<qint64> ticks;
        std::unique_ptr<RepeatingTimer> timer;
        timer = factory.startRepeating(20ms, [&, kept = std::string("state")] {
            ticks.push_back(clock.elapsed());
            if (ticks.size() == 3) {
                timer.reset();
                QCOMPARE(kept, std::string("state"));
            }
        });
        QTRY_VERIFY(!timer);
        QTest::qWait(60);
        QCOMPARE(ticks.size(), std::size_t{3});
        QVERIFY(ticks[0] >= 15);  // never before the first interval has passed
    }
};

QTEST_GUILESS_MAIN(QtTimerFactoryTest)
#include "QtTimerFactoryTest.moc"
