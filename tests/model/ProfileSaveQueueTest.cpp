#include "model/ProfileManager.h"
#include "model/ProfileSaveQueue.h"
#include "support/LogRecorder.h"
#include "support/SampleProfiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;

namespace {

struct Rig {
    QTemporaryDir folder;
    test::LogRecorder log;
    ProfileManager store{folder.path(), log.logger()};
};

std::vector<GameProfile> named(const std::string& name) {
    return {test::profile("P", name, "game")};
}

}  // namespace

class ProfileSaveQueueTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // While a large list is written, later saves wait; only the newest of them
    // is written next, and the file ends with the newest list.
    void theNewestWaitingSaveReplacesTheOthers() {
        Rig rig;
        ProfileSaveQueue queue(rig.store);
        queue.save(test::manyProfiles(1000, 20));
        for (const char* name : {"one", "two", "three", "four", "last"}) {
            queue.save(named(name));
        }
        queue.flush();
        QVERIFY(rig.store.loadProfiles() == named("last"));
        const auto lines = rig.log.lines();
        QVERIFY2(lines.size() < 6, "every waiting save was written");
        QCOMPARE(lines.front(), std::string("[ProfileManager] Saved 1000 profiles"));
    }

    // Each written save is told on the GUI thread, a failure with its reason.
    void eachSaveIsToldWithItsOutcome() {
        Rig rig;
        ProfileSaveQueue queue(rig.store);
        QSignalSpy told(&queue, &ProfileSaveQueue::saved);
        QVERIFY(QDir().mkpath(rig.store.profilesFilePath()));  // a folder in the file's place
        queue.save(named("blocked"));
        QTRY_COMPARE(told.count(), 1);
        QVERIFY(!told.at(0).at(0).toString().isEmpty());
        QVERIFY(QDir().rmdir(rig.store.profilesFilePath()));
        queue.save(named("written"));
        QTRY_COMPARE(told.count(), 2);
        QVERIFY(told.at(1).at(0).toString().isEmpty());
    }

    void whatStillWaitsIsWrittenBeforeTheQueueGoes() {
        Rig rig;
        {
            ProfileSaveQueue queue(rig.store);
            queue.save(test::manyProfiles(200, 5));
            queue.save(named("at quit"));
        }
        QVERIFY(rig.store.loadProfiles() == named("at quit"));
    }
};

QTEST_GUILESS_MAIN(ProfileSaveQueueTest)
#include "ProfileSaveQueueTest.moc"
