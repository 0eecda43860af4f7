#include "services/PressmintBlocklistManager.h"
#include "support/LogRecorder.h"
#include "support/LoopbackHttpServer.h"

#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

class PressmintBlocklistManagerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One at a time in call order, so a slow unblock is never overtaken by the block. Any status is
    // only logged; an empty identifier sends nothing; identifiers are escaped. A silent companion
    // costs one line after two seconds, and the next call works.
    void requestsPostTheIdentifierAsCompactJsonInCallOrder() {
        test::LoopbackHttpServer companion;
        companion.setReply("/blocked-apps/remove", HttpServer::Reply::answer(404).after(600ms));
        test::LogRecorder log;
        PressmintBlocklistManager manager(companion.port(), log.logger());
        manager.blockApp("");
        manager.unblockApp("");
        manager.unblockApp("steam_app_570");
        manager.blockApp("steam_app_570");
        manager.blockApp("com.example.\"odd\"\\name\n\x01é\xff");
        QTRY_COMPARE_WITH_TIMEOUT(log.lines().size(), std::size_t{3}, 10000);
        Lines sent;
        for (const HttpRequest& request : companion.requests()) {
            sent.push_back(request.method + " " + request.target + " " + request.body);
        }
        QCOMPARE(sent, (Lines{R"(POST /blocked-apps/remove {"bundleId":"steam_app_570"})",
                              R"(POST /blocked-apps/add {"bundleId":"steam_app_570"})",
                              "POST /blocked-apps/add "
                              "{\"bundleId\":\"com.example.\\\"odd\\\"\\\\name\\n\\u0001é�\"}"}));
        companion.setReply("/blocked-apps/add", HttpServer::Reply::silence());
        manager.blockApp("game");
        manager.unblockApp("game");
        QTRY_COMPARE_WITH_TIMEOUT(log.lines().size(), std::size_t{5}, 8000);
        Lines lines = log.lines();
        const std::string timedOut =
            "[PressmintBlocklist] /blocked-apps/add failed: Operation timed out after 2";
        lines.at(3).resize(timedOut.size());  // the rest is curl's wording
        QCOMPARE(lines,
                 (Lines{"[PressmintBlocklist] /blocked-apps/remove steam_app_570 → HTTP 404",
                        "[PressmintBlocklist] /blocked-apps/add steam_app_570 → HTTP 200",
                        "[PressmintBlocklist] /blocked-apps/add "
                        "com.example.\"odd\"\\name\\x0a\\x01é\xff → HTTP 200",
                        timedOut, "[PressmintBlocklist] /blocked-apps/remove game → HTTP 404"}));
    }
};

QTEST_GUILESS_MAIN(PressmintBlocklistManagerTest)
#include "PressmintBlocklistManagerTest.moc"
