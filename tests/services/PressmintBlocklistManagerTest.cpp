#include "services/PressmintBlocklistManager.h"
#include "support/LogRecorder.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScriptedTcpServer.h"

#include <chrono>

#include <QRegularExpression>
#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;
using Reply = test::LoopbackHttpServer::Reply;
using Lines = std::vector<std::string>;
using Act = test::ScriptedTcpServer::Act;
using Step = test::ScriptedTcpServer::Step;

Q_DECLARE_METATYPE(thrumwise::test::ScriptedTcpServer::Step)

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

    void aFailedRequestCostsOneLineAndTheNextOneWorks_data() {
        QTest::addColumn<bool>("isDown");
        QTest::addColumn<Step>("first");
        QTest::addColumn<QString>("firstLine");
        const QString failed =
            QStringLiteral("^\\[PressmintBlocklist\\] /blocked-apps/add failed: ");
        QTest::newRow("down") << true << Step{} << failed + QStringLiteral(".*Connection refused");
        QTest::newRow("silent") << false << Step{Act::stall, {}}
                                << failed + QStringLiteral(".*timed out after 2");
        QTest::newRow("500")
            << false
            << Step{Act::sendAndClose,
                    "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n"}
            << QStringLiteral("^\\[PressmintBlocklist\\] /blocked-apps/add game → HTTP 500$");
    }

    // A companion down at first comes up on its port before the second call.
    void aFailedRequestCostsOneLineAndTheNextOneWorks() {
        QFETCH(bool, isDown);
        QFETCH(Step, first);
        QFETCH(QString, firstLine);
        const auto script = [&first](const test::ScriptedTcpServer::Seen& seen) {
            return seen.connection == 0 && seen.onConnection == 0 ? first : Step{};
        };
        std::optional<test::RefusingPort> refusing;
        std::optional<test::ScriptedTcpServer> companion;
        isDown ? static_cast<void>(refusing.emplace())
               : static_cast<void>(companion.emplace(script));
        const std::uint16_t port = isDown ? refusing->port() : companion->port();
        test::LogRecorder log;
        PressmintBlocklistManager manager(port, log.logger());
        manager.blockApp("game");
        QTRY_COMPARE_WITH_TIMEOUT(log.lines().size(), std::size_t{1}, 5000);
        if (isDown) {
            refusing.reset();
            companion.emplace(script, port);
        }
        manager.unblockApp("game");
        QTRY_COMPARE_WITH_TIMEOUT(log.lines().size(), std::size_t{2}, 5000);
        const Lines lines = log.lines();
        QVERIFY2(QRegularExpression(firstLine).match(QString::fromStdString(lines[0])).hasMatch(),
                 lines[0].c_str());
        QCOMPARE(lines[1],
                 std::string("[PressmintBlocklist] /blocked-apps/remove game → HTTP 200"));
    }
};

QTEST_GUILESS_MAIN(PressmintBlocklistManagerTest)
#include "PressmintBlocklistManagerTest.moc"
