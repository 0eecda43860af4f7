#include "app/SingleInstanceGuard.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;

class SingleInstanceGuardTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A second launch does not get the lock and reaches the first copy.
    void aSecondLaunchReachesTheFirstCopy() {
        QTemporaryDir folder;
        SingleInstanceGuard first(folder.path());
        SingleInstanceGuard second(folder.path());
        QSignalSpy shown(&first, &SingleInstanceGuard::showRequested);
        QVERIFY(first.becomePrimary() && !second.becomePrimary());
        QVERIFY(second.askPrimaryToShow());
        QTRY_COMPARE(shown.count(), 1);
    }
};

QTEST_GUILESS_MAIN(SingleInstanceGuardTest)
#include "SingleInstanceGuardTest.moc"
