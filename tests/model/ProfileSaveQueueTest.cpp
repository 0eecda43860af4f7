#include "model/ProfileSaveQueue.h"
#include "support/SampleProfiles.h"

#include <semaphore>

#include <QTest>

using namespace thrumwise;
using Names = std::vector<std::string>;

namespace {

std::vector<GameProfile> named(const std::string& name) {
    return {test::profile("P", name, "game")};
}

// Held inside each write until let go; `written` is read once the queue is idle or gone.
struct GatedWriter {
    ProfileSaveQueue::Writer writer() {
        return [this](const std::vector<GameProfile>& profiles) -> std::optional<std::string> {
            written.push_back(profiles.front().displayName);
            entered.release();
            leave.acquire();
            return std::nullopt;
        };
    }

    std::counting_semaphore<16> entered{0};
    std::counting_semaphore<16> leave{0};
    Names written;
};

}  // namespace

class ProfileSaveQueueTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Of the saves waiting, only the newest is written next, and before the queue goes.
    void theNewestWaitingSaveIsWrittenNextAndBeforeTheQueueGoes() {
        GatedWriter gate;
        {
            ProfileSaveQueue queue(gate.writer());
            queue.save(named("first"));
            gate.entered.acquire();  // the first list is being written
            for (const char* name : {"second", "third", "last"}) {
                queue.save(named(name));
            }
            gate.leave.release(2);
            queue.flush();
            QVERIFY(gate.entered.try_acquire());
            QCOMPARE(gate.written, (Names{"first", "last"}));
            queue.save(named("writing"));
            gate.entered.acquire();
            queue.save(named("at quit"));
            gate.leave.release(2);
        }
        QCOMPARE(gate.written, (Names{"first", "last", "writing", "at quit"}));
    }
};

QTEST_GUILESS_MAIN(ProfileSaveQueueTest)
#include "ProfileSaveQueueTest.moc"
