#include "services/PressmintBlocklistManager.h"
#include "support/LogRecorder.h"
#include "support/LoopbackHttpServer.h"

#include <chrono>

#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;
using Reply = test::LoopbackHttpServer::Reply;
using Lines = std::vector<std::string>;

namespace {

constexpr const char* kAdd = "/blocked-apps/add";
constexpr const char* kRemove = "/blocked-apps/remove";

// A manager talking to a loopback companion, its log recorded.
struct Rig {
    test::LoopbackHttpServer companion;
    test::LogRecorder log;
    PressmintBlocklistManager manager{companion.port(), log.logger()};

    // Waits until `count` calls have logged their outcome.
    Lines linesOnceThere(std::size_t count) const {
        static_cast<void>(QTest::qWaitFor([&] { return log.lines().size() >= count; }, 10000));
        return log.lines();
    }
};

}  // namespace

class PressmintBlocklistManagerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Any status is only logged. Quotes, backslashes and control characters are
    // escaped and bytes that are not UTF-8 replaced; an empty identifier sends nothing.
    void blockAndUnblockPostTheIdentifierAsCompactJson() {
        Rig rig;
        rig.companion.setReply(kRemove, Reply::answer(404));
        rig.manager.blockApp("");
        rig.manager.unblockApp("");
        rig.manager.blockApp("steam_app_570");
        rig.manager.unblockApp("steam_app_570");
        rig.manager.blockApp("com.example.\"odd\"\\name\n\x01é\xff");
        QCOMPARE(
            rig.linesOnceThere(3),
            (Lines{
                "[PressmintBlocklist] /blocked-apps/add steam_app_570 → HTTP 200",
                "[PressmintBlocklist] /blocked-apps/remove steam_app_570 → HTTP 404",
                "[PressmintBlocklist] /blocked-apps/add com.example.\"odd\"\\name\\x0a\\x01é\xff "
                "→ HTTP 200"}));
        const std::vector<std::pair<std::string, std::string>> expected{
            {kAdd, R"({"bundleId":"steam_app_570"})"},
            {kRemove, R"({"bundleId":"steam_app_570"})"},
            {kAdd, "{\"bundleId\":\"com.example.\\\"odd\\\"\\\\name\\n\\u0001é�\"}"}};
        const auto requests = rig.companion.requests();
        QCOMPARE(requests.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(requests[i].method + " " + requests[i].target, "POST " + expected[i].first);
            QCOMPARE(requests[i].body, expected[i].second);
        }
    }

    // A slow answer to the unblock must not let the block overtake it, or the
    // companion would end with the game unblocked.
    void requestsReachTheCompanionOneAtATimeInCallOrder() {
        Rig rig;
        rig.companion.setReply(kRemove, Reply::answer(200).after(600ms));
        rig.manager.unblockApp("game");
        rig.manager.blockApp("game");
        QCOMPARE(rig.linesOnceThere(2),
                 (Lines{"[PressmintBlocklist] /blocked-apps/remove game → HTTP 200",
                        "[PressmintBlocklist] /blocked-apps/add game → HTTP 200"}));
        const auto requests = rig.companion.requests();
        QCOMPARE(requests.size(), std::size_t{2});
        QVERIFY(requests[1].arrival - requests[0].arrival >= 600ms);
    }

    void aSilentCompanionFailsTheCallAfterTwoSeconds() {
        Rig rig;
        rig.companion.setReply(kRemove, Reply::silence());
        const auto start = std::chrono::steady_clock::now();
        rig.manager.unblockApp("old");
        const Lines lines = rig.linesOnceThere(1);
        QVERIFY(std::chrono::steady_clock::now() - start >= 1900ms);
        const std::string prefix = "[PressmintBlocklist] /blocked-apps/remove failed: ";
        QCOMPARE(lines.size(), std::size_t{1});
        QVERIFY2(lines[0].starts_with(prefix) && lines[0].size() > prefix.size(), lines[0].c_str());
    }
};

QTEST_GUILESS_MAIN(PressmintBlocklistManagerTest)
#include "PressmintBlocklistManagerTest.moc"
