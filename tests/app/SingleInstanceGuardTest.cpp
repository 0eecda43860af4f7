#include "app/SingleInstanceGuard.h"

#include <QFile>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;

class SingleInstanceGuardTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A lock left by a dead process is taken over; a live one is not, and the
    // second launch reaches the first. The e2e suite shows the window it asks for.
    void aStaleLockIsTakenOverAndALiveOneReachesTheFirstCopy() {
        QTemporaryDir folder;
        QFile stale(folder.filePath(QStringLiteral("thrumwise.lock")));
        // QLockFile's own format: process id, application name, host name.
        QVERIFY(stale.open(QIODevice::WriteOnly) &&
                stale.write("2147483646\nthrumwise\n" + QSysInfo::machineHostName().toUtf8() +
                            "\n") > 0);
        stale.close();
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
