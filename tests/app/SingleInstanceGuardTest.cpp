#include "app/SingleInstanceGuard.h"

#include <QFile>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;

class SingleInstanceGuardTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // With nobody running, asking to be shown gives up.
    void aSecondLaunchAsksTheFirstToShowItsWindow() {
        QTemporaryDir folder;
        SingleInstanceGuard first(folder.path());
        SingleInstanceGuard second(folder.path());
        QVERIFY(!second.askPrimaryToShow(300ms));
        QSignalSpy shown(&first, &SingleInstanceGuard::showRequested);
        QVERIFY(first.becomePrimary());
        QVERIFY(!second.becomePrimary());
        QVERIFY(second.askPrimaryToShow());
        QTRY_COMPARE(shown.count(), 1);
    }

    void aLockLeftByADeadProcessIsTakenOver() {
        QTemporaryDir folder;
        QFile stale(folder.filePath(QStringLiteral("thrumwise.lock")));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        // QLockFile's own format: process id, application name, host name.
        stale.write("2147483646\nthrumwise\n" + QSysInfo::machineHostName().toUtf8() + "\n");
        stale.close();
        SingleInstanceGuard guard(folder.path());
        QVERIFY(guard.becomePrimary());
        QSignalSpy shown(&guard, &SingleInstanceGuard::showRequested);
        QVERIFY(SingleInstanceGuard(folder.path()).askPrimaryToShow());
        QTRY_COMPARE(shown.count(), 1);
    }
};

QTEST_GUILESS_MAIN(SingleInstanceGuardTest)
#include "SingleInstanceGuardTest.moc"
