#include "model/ProfileSaveQueue.h"
#include "support/SampleProfiles.h"

#include <semaphore>

#include <QTest>

using namespace thrumwise;
using Names = std::vector<std::string>;

class ProfileSaveQueueTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Of the saves waiting, only the newest is written next, and before the queue goes.
    void theNewestWaitingSaveIsWrittenNextAndBeforeTheQueueGoes() {
        std::counting_semaphore<16> entered{0}, leave{0};  // each write waits to be let go
        Names written;
        {
            ProfileSaveQueue queue([&](const std::vector<GameProfile>& profiles) {
                written.push_back(profiles.front().displayName);
                entered.release();
                leave.acquire();
                return std::optional<std::string>();
            });
            queue.save({test::profile("P", "first", "game")});
            entered.acquire();  // the first list is being written
            for (const char* name : {"second", "third", "last"}) {
                queue.save({test::profile("P", name, "game")});
            }
            leave.release(2);
            queue.flush();
            QVERIFY(entered.try_acquire());
            QCOMPARE(written, (Names{"first", "last"}));
            queue.save({test::profile("P", "writing", "game")});
            entered.acquire();
            queue.save({test::profile("P", "at quit", "game")});
            leave.release(2);
        }
        QCOMPARE(written, (Names{"first", "last", "writing", "at quit"}));
    }
};

QTEST_GUILESS_MAIN(ProfileSaveQueueTest)
#include "ProfileSaveQueueTest.moc"
