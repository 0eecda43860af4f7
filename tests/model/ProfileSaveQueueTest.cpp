#include "model/ProfileManager.h"
#include "model/ProfileSaveQueue.h"
#include "support/LogRecorder.h"
#include "support/SampleProfiles.h"

#include <mutex>
#include <semaphore>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;
using Names = std::vector<std::string>;

namespace {

std::vector<GameProfile> named(const std::string& name) {
    return {test::profile("P", name, "game")};
}

// A writer the test holds inside each write until it lets it go.
class GatedWriter {
public:
    ProfileSaveQueue::Writer writer() {
        return [this](const std::vector<GameProfile>& profiles) -> std::optional<std::string> {
            {
                const std::scoped_lock guard(mutex_);
                written_.push_back(profiles.front().displayName);
            }
            entered.release();
            leave.acquire();
            return std::nullopt;
        };
    }
    Names written() {
        const std::scoped_lock guard(mutex_);
        return written_;
    }

    std::counting_semaphore<16> entered{0};
    std::counting_semaphore<16> leave{0};

private:
    std::mutex mutex_;
    Names written_;
};

}  // namespace

class ProfileSaveQueueTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // While one list is written, later saves wait; only the newest of them is
    // written next.
    void theNewestWaitingSaveReplacesTheOthers() {
        GatedWriter gate;
        ProfileSaveQueue queue(gate.writer());
        queue.save(named("first"));
        gate.entered.acquire();  // the first list is being written
        for (const char* name : {"second", "third", "last"}) {
            queue.save(named(name));
        }
        gate.leave.release(2);
        queue.flush();
        QCOMPARE(gate.written(), (Names{"first", "last"}));
    }

    // Each written save is told on the GUI thread, a failure with its reason.
    void eachSaveIsToldWithItsOutcome() {
        QTemporaryDir folder;
        test::LogRecorder log;
        ProfileManager store(folder.path(), log.logger());
        ProfileSaveQueue queue([&store](const std::vector<GameProfile>& profiles) {
            return store.saveProfiles(profiles);
        });
        QSignalSpy told(&queue, &ProfileSaveQueue::saved);
        QVERIFY(QDir().mkpath(store.profilesFilePath()));  // a folder in the file's place
        queue.save(named("blocked"));
        QTRY_COMPARE(told.count(), 1);
        QVERIFY(!told.at(0).at(0).toString().isEmpty());
        QVERIFY(QDir().rmdir(store.profilesFilePath()));
        queue.save(named("written"));
        QTRY_COMPARE(told.count(), 2);
        QVERIFY(told.at(1).at(0).toString().isEmpty());
        QVERIFY(store.loadProfiles() == named("written"));
    }

    void whatStillWaitsIsWrittenBeforeTheQueueGoes() {
        GatedWriter gate;
        {
            ProfileSaveQueue queue(gate.writer());
            queue.save(named("writing"));
            gate.entered.acquire();
            queue.save(named("at quit"));
            gate.leave.release(2);
        }
        QCOMPARE(gate.written(), (Names{"writing", "at quit"}));
    }
};

QTEST_GUILESS_MAIN(ProfileSaveQueueTest)
#include "ProfileSaveQueueTest.moc"
