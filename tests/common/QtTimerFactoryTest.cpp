#include "common/RepeatingTimer.h"

#include <QElapsedTimer>
#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;

class QtTimerFactoryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ticksRepeatedlyFromOneIntervalAfterTheStart() {
        QtTimerFactory factory;
        int ticks = 0;
        QElapsedTimer clock;
        clock.start();
        qint64 firstTickMs = -1;
        auto timer = factory.startRepeating(
            20ms, [&] { firstTickMs = ticks++ == 0 ? clock.elapsed() : firstTickMs; });
        QTRY_VERIFY(ticks >= 3);
        QVERIFY(firstTickMs >= 15);  // never before the first interval has passed
        timer.reset();
        const int seen = ticks;
        QTest::qWait(60);
        QCOMPARE(ticks, seen);
    }

    void aTickMayDestroyItsOwnTimer() {
        QtTimerFactory factory;
        std::unique_ptr<RepeatingTimer> timer;
        const std::string captured = "kept alive during the tick";
        int ticks = 0;
        timer = factory.startRepeating(5ms, [&, copy = captured] {
            ++ticks;
            timer.reset();
            QCOMPARE(copy, captured);  // the tick's own state outlives the reset
        });
        QTRY_VERIFY(!timer);
        QTest::qWait(30);
        QCOMPARE(ticks, 1);
    }
};

QTEST_GUILESS_MAIN(QtTimerFactoryTest)
#include "QtTimerFactoryTest.moc"
