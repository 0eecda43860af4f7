#include "services/PressmintBlocklistManager.h"
#include "support/LogRecorder.h"
#include "support/LoopbackHttpServer.h"

#include <chrono>
#include <string>
#include <vector>

#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;
using Reply = test::LoopbackHttpServer::Reply;
using Lines = std::vector<std::string>;

namespace {

constexpr const char* kAdd = "/blocked-apps/add";
constexpr const char* kRemove = "/blocked-apps/remove";

// A manager talking to a loopback companion, its log recorded.
struct Fixture {
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
    void blockAndUnblockPostTheIdentifierAsCompactJson() {
        Fixture fixture;
        fixture.manager.blockApp("steam_app_570");
        fixture.manager.unblockApp("steam_app_570");
        // Quotes, backslashes and control characters escaped, bytes that are
        // not UTF-8 replaced; other text kept as it is.
        fixture.manager.blockApp("com.example.\"odd\"\\name\n\x01é\xff");

        QCOMPARE(
            fixture.linesOnceThere(3),
            (Lines{
                "[PressmintBlocklist] /blocked-apps/add steam_app_570 → HTTP 200",
                "[PressmintBlocklist] /blocked-apps/remove steam_app_570 → HTTP 200",
                "[PressmintBlocklist] /blocked-apps/add com.example.\"odd\"\\name\\x0a\\x01é\xff → "
                "HTTP 200"}));
        const auto requests = fixture.companion.requests();
        QCOMPARE(requests.size(), std::size_t{3});
        const std::vector<std::pair<std::string, std::string>> expected{
            {kAdd, R"({"bundleId":"steam_app_570"})"},
            {kRemove, R"({"bundleId":"steam_app_570"})"},
            {kAdd, "{\"bundleId\":\"com.example.\\\"odd\\\"\\\\name\\n\\u0001é�\"}"}};
        for (std::size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(requests[i].method, std::string("POST"));
            QCOMPARE(requests[i].target, expected[i].first);
            QCOMPARE(requests[i].body, expected[i].second);
        }
    }

    void anEmptyIdentifierSendsAndLogsNothing() {
        Fixture fixture;
        fixture.manager.blockApp("");
        fixture.manager.unblockApp("");
        // Requests go out in order, so anything sent for the empty ones would come first.
        fixture.manager.blockApp("game");
        QCOMPARE(fixture.linesOnceThere(1),
                 Lines{"[PressmintBlocklist] /blocked-apps/add game → HTTP 200"});
        QCOMPARE(fixture.companion.requestCount(), std::size_t{1});
    }

    void everyStatusIsOnlyLogged() {
        Fixture fixture;
        fixture.companion.setReply(kAdd, Reply::answer(404));
        fixture.companion.setReply(kRemove, Reply::answer(500, "broken"));
        fixture.manager.blockApp("one");
        fixture.manager.unblockApp("two");
        QCOMPARE(fixture.linesOnceThere(2),
                 (Lines{"[PressmintBlocklist] /blocked-apps/add one → HTTP 404",
                        "[PressmintBlocklist] /blocked-apps/remove two → HTTP 500"}));
    }

    void aFailedCallLogsWhy() {
        const test::RefusingPort nothing;
        test::LogRecorder log;
        PressmintBlocklistManager manager(nothing.port(), log.logger());
        manager.unblockApp("old");
        QTRY_COMPARE(log.lines().size(), std::size_t{1});
        const std::string prefix = "[PressmintBlocklist] /blocked-apps/remove failed: ";
        const std::string line = log.lines()[0];
        QVERIFY2(line.starts_with(prefix) && line.size() > prefix.size(), line.c_str());
    }

    void aSilentCompanionFailsTheCallAfterTwoSeconds() {
        Fixture fixture;
        fixture.companion.setReply(kRemove, Reply::silence());
        const auto start = std::chrono::steady_clock::now();
        fixture.manager.unblockApp("old");
        const Lines lines = fixture.linesOnceThere(1);
        QVERIFY(std::chrono::steady_clock::now() - start >= 1900ms);
        QCOMPARE(lines.size(), std::size_t{1});
        QVERIFY(lines[0].starts_with("[PressmintBlocklist] /blocked-apps/remove failed: "));
    }

    // A slow answer to the unblock must not let the block overtake it, or the
    // companion would end with the game unblocked.
    void requestsReachTheCompanionOneAtATimeInCallOrder() {
        Fixture fixture;
        fixture.companion.setReply(kRemove, Reply::answer(200).after(600ms));
        fixture.manager.unblockApp("game");
        fixture.manager.blockApp("game");

        QCOMPARE(fixture.linesOnceThere(2),
                 (Lines{"[PressmintBlocklist] /blocked-apps/remove game → HTTP 200",
                        "[PressmintBlocklist] /blocked-apps/add game → HTTP 200"}));
        const auto requests = fixture.companion.requests();
        QCOMPARE(requests.size(), std::size_t{2});
        QCOMPARE(requests[1].target, std::string(kAdd));
        // The block left only once the unblock had its answer.
        QVERIFY(requests[1].arrival - requests[0].arrival >= 600ms);
    }
};

QTEST_GUILESS_MAIN(PressmintBlocklistManagerTest)
#include "PressmintBlocklistManagerTest.moc"
