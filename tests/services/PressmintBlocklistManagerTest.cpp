#include "services/PressmintBlocklistManager.h"
#include "support/LogRecorder.h"
#include "support/LoopbackHttpServer.h"

#include <chrono>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;
using Reply = test::LoopbackHttpServer::Reply;

namespace {

constexpr const char* kAdd = "/blocked-apps/add";
constexpr const char* kRemove = "/blocked-apps/remove";

}  // namespace

class PressmintBlocklistManagerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void blockAndUnblockPostTheIdentifierAsCompactJson() {
        test::LoopbackHttpServer companion;
        test::LogRecorder log;
        PressmintBlocklistManager manager(companion.port(), log.logger());

        manager.blockApp("steam_app_570");
        manager.unblockApp("steam_app_570");
        // Quotes, backslashes and control characters escaped; other text kept as it is.
        manager.blockApp("com.example.\"odd\"\\name\n\x01é");

        QTRY_COMPARE(log.lines().size(), std::size_t{3});
        const auto requests = companion.requests();
        QCOMPARE(requests.size(), std::size_t{3});
        const std::vector<std::pair<std::string, std::string>> expected{
            {kAdd, R"({"bundleId":"steam_app_570"})"},
            {kRemove, R"({"bundleId":"steam_app_570"})"},
            {kAdd, "{\"bundleId\":\"com.example.\\\"odd\\\"\\\\name\\n\\u0001é\"}"}};
        for (std::size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(requests[i].method, std::string("POST"));
            QCOMPARE(requests[i].target, expected[i].first);
            QCOMPARE(requests[i].header("Content-Type").value_or(""),
                     std::string_view("application/json"));
            QCOMPARE(requests[i].body, expected[i].second);
        }
        QCOMPARE(
            log.lines(),
            (std::vector<std::string>{
                "[PressmintBlocklist] /blocked-apps/add steam_app_570 → HTTP 200",
                "[PressmintBlocklist] /blocked-apps/remove steam_app_570 → HTTP 200",
                "[PressmintBlocklist] /blocked-apps/add com.example.\"odd\"\\name\\x0a\\x01é → "
                "HTTP 200"}));
    }

    // An identifier that is not UTF-8 still goes out, as valid JSON.
    void bytesThatAreNotUtf8AreReplaced() {
        test::LoopbackHttpServer companion;
        test::LogRecorder log;
        PressmintBlocklistManager manager(companion.port(), log.logger());

        manager.blockApp("game\xff");

        QTRY_COMPARE(companion.requestCount(), std::size_t{1});
        QCOMPARE(companion.requests()[0].body, std::string(R"({"bundleId":"game�"})"));
    }

    void anEmptyIdentifierSendsAndLogsNothing() {
        test::LoopbackHttpServer companion;
        test::LogRecorder log;
        PressmintBlocklistManager manager(companion.port(), log.logger());

        manager.blockApp("");
        manager.unblockApp("");
        // Requests go out in order, so anything sent for the empty ones would come first.
        manager.blockApp("game");

        QTRY_COMPARE(log.lines().size(), std::size_t{1});
        QCOMPARE(companion.requestCount(), std::size_t{1});
        QCOMPARE(companion.requests()[0].target, std::string(kAdd));
        QCOMPARE(log.lines()[0],
                 std::string("[PressmintBlocklist] /blocked-apps/add game → HTTP 200"));
    }

    void everyStatusIsOnlyLogged() {
        test::LoopbackHttpServer companion;
        companion.setReply(kAdd, Reply::answer(404));
        companion.setReply(kRemove, Reply::answer(500, "broken"));
        test::LogRecorder log;
        PressmintBlocklistManager manager(companion.port(), log.logger());

        manager.blockApp("one");
        manager.unblockApp("two");
        manager.blockApp("three");

        QTRY_COMPARE(log.lines().size(), std::size_t{3});
        QCOMPARE(log.lines(), (std::vector<std::string>{
                                  "[PressmintBlocklist] /blocked-apps/add one → HTTP 404",
                                  "[PressmintBlocklist] /blocked-apps/remove two → HTTP 500",
                                  "[PressmintBlocklist] /blocked-apps/add three → HTTP 404"}));
    }

    void withNothingListeningEachCallLogsOneFailure() {
        const test::RefusingPort nothing;
        test::LogRecorder log;
        PressmintBlocklistManager manager(nothing.port(), log.logger());

        manager.unblockApp("old");
        manager.blockApp("new");
        manager.blockApp("new");

        QTRY_COMPARE(log.lines().size(), std::size_t{3});
        const auto lines = log.lines();
        const std::vector<std::string> prefixes{
            "[PressmintBlocklist] /blocked-apps/remove failed: ",
            "[PressmintBlocklist] /blocked-apps/add failed: ",
            "[PressmintBlocklist] /blocked-apps/add failed: "};
        for (std::size_t i = 0; i < prefixes.size(); ++i) {
            QVERIFY2(lines[i].starts_with(prefixes[i]), lines[i].c_str());
            QVERIFY2(lines[i].size() > prefixes[i].size(), "the failure says why");
        }
    }

    void aCompanionThatNeverAnswersFailsAfterAboutTwoSeconds() {
        test::LoopbackHttpServer companion;
        companion.setReply(kAdd, Reply::silence());
        test::LogRecorder log;
        PressmintBlocklistManager manager(companion.port(), log.logger());

        QElapsedTimer elapsed;
        elapsed.start();
        manager.blockApp("game");
        QTRY_VERIFY_WITH_TIMEOUT(!log.lines().empty(), 10000);
        const qint64 ms = elapsed.elapsed();

        QVERIFY2(ms >= 1900 && ms < 6000, qPrintable(QString::number(ms)));
        QVERIFY(log.lines()[0].starts_with("[PressmintBlocklist] /blocked-apps/add failed: "));
        QCOMPARE(log.lines().size(), std::size_t{1});
    }

    // A slow answer to the unblock must not let the block overtake it, or the
    // companion would end with the game unblocked.
    void requestsReachTheCompanionOneAtATimeInCallOrder() {
        test::LoopbackHttpServer companion;
        constexpr auto slowness = 600ms;
        companion.setReply(kRemove, Reply::answer(200).after(slowness));
        test::LogRecorder log;
        PressmintBlocklistManager manager(companion.port(), log.logger());

        manager.unblockApp("game");
        manager.blockApp("game");

        QTRY_COMPARE_WITH_TIMEOUT(log.lines().size(), std::size_t{2}, 5000);
        const auto requests = companion.requests();
        QCOMPARE(requests.size(), std::size_t{2});
        QCOMPARE(requests[0].target, std::string(kRemove));
        QCOMPARE(requests[1].target, std::string(kAdd));
        // The block left only once the unblock had its answer.
        QVERIFY(requests[1].arrival - requests[0].arrival >= slowness);
        QCOMPARE(log.lines(), (std::vector<std::string>{
                                  "[PressmintBlocklist] /blocked-apps/remove game → HTTP 200",
                                  "[PressmintBlocklist] /blocked-apps/add game → HTTP 200"}));
    }

    // A request that runs out of time does not use up the time of the one behind it.
    void eachRequestHasItsFullTimeWhenItsTurnComes() {
        test::LoopbackHttpServer companion;
        companion.setReply(kRemove, Reply::silence());
        companion.setReply(kAdd, Reply::answer(200).after(1000ms));
        test::LogRecorder log;
        PressmintBlocklistManager manager(companion.port(), log.logger());

        manager.unblockApp("game");
        manager.blockApp("game");

        QTRY_COMPARE_WITH_TIMEOUT(log.lines().size(), std::size_t{2}, 10000);
        QVERIFY(log.lines()[0].starts_with("[PressmintBlocklist] /blocked-apps/remove failed: "));
        QCOMPARE(log.lines()[1],
                 std::string("[PressmintBlocklist] /blocked-apps/add game → HTTP 200"));
    }
};

QTEST_GUILESS_MAIN(PressmintBlocklistManagerTest)
#include "PressmintBlocklistManagerTest.moc"
