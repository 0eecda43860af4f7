#include "services/HttpClient.h"
#include "services/PressmintBlocklistManager.h"
#include "support/HttpExchange.h"
#include "support/LogRecorder.h"
#include "support/SimulatorProcess.h"

#include <QRegularExpression>
#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;

namespace {

QString simulatorPath() {
    return QStringLiteral(THRUMWISE_COMPANION_SIM);
}

// A printed request line without its time of day; empty when it has no time in front.
QString withoutTime(const QString& line) {
    const auto match =
        QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d (.*)$")).match(line);
    return match.captured(1);
}

}  // namespace

class CompanionSimulatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keepsTheListAndPrintsItAfterEveryRequest() {
        test::SimulatorProcess simulator(simulatorPath());
        QVERIFY2(simulator.port() != 0, qPrintable(simulator.firstLine()));
        QVERIFY(simulator.firstLine().startsWith(
            QStringLiteral("thrumwise-companion-sim listening on http://127.0.0.1:")));
        test::LogRecorder log;
        PressmintBlocklistManager client(simulator.port(), log.logger());

        client.blockApp("steam_app_570");
        client.blockApp("com.example.arena");
        client.blockApp("steam_app_570");  // already there: the list stays as it is
        client.unblockApp("steam_app_570");
        client.unblockApp("not.blocked");
        client.unblockApp("com.example.arena");

        const QStringList expected{
            QStringLiteral("block steam_app_570 | blocked: steam_app_570"),
            QStringLiteral("block com.example.arena | blocked: com.example.arena, steam_app_570"),
            QStringLiteral("block steam_app_570 | blocked: com.example.arena, steam_app_570"),
            QStringLiteral("unblock steam_app_570 | blocked: com.example.arena"),
            QStringLiteral("unblock not.blocked | blocked: com.example.arena"),
            QStringLiteral("unblock com.example.arena | blocked: (none)")};
        for (const QString& line : expected) {
            QCOMPARE(withoutTime(simulator.nextLine()), line);
        }
        QTRY_COMPARE(log.lines().size(), std::size_t{6});
        QCOMPARE(
            log.lines()[5],
            std::string("[PressmintBlocklist] /blocked-apps/remove com.example.arena → HTTP 200"));
    }

    void rejectsWhatIsNotItsProtocolWithoutPrinting() {
        test::SimulatorProcess simulator(simulatorPath());
        HttpClient client({.timeout = 2s});
        const std::string base = "http://localhost:" + std::to_string(simulator.port());
        const std::string add = base + "/blocked-apps/add";
        const std::string remove = base + "/blocked-apps/remove";

        QCOMPARE(test::postStatus(client, add, "not json"), 400L);
        QCOMPARE(test::postStatus(client, add, "{}"), 400L);
        QCOMPARE(test::postStatus(client, remove, R"({"bundleId":7})"), 400L);
        QCOMPARE(test::postStatus(client, remove, R"(["bundleId","x"])"), 400L);
        QCOMPARE(test::postStatus(client, add, R"({"bundleId":null})"), 400L);
        QCOMPARE(test::getStatus(client, add), 404L);
        QCOMPARE(test::postStatus(client, base + "/blocked-apps", R"({"bundleId":"x"})"), 404L);
        QCOMPARE(test::postStatus(client, base + "/blocked-apps/add/", R"({"bundleId":"x"})"),
                 404L);

        // Only the one good request prints.
        QCOMPARE(test::postStatus(client, add, R"({"bundleId":"x","extra":1})"), 200L);
        QCOMPARE(withoutTime(simulator.nextLine()), QStringLiteral("block x | blocked: x"));
    }

    // Whatever a client sends, no control character reaches the terminal.
    void escapesControlCharactersInIdentifiers() {
        test::SimulatorProcess simulator(simulatorPath());
        HttpClient client({.timeout = 2s});
        const std::string add =
            "http://localhost:" + std::to_string(simulator.port()) + "/blocked-apps/add";

        QCOMPARE(test::postStatus(client, add, "{\"bundleId\":\"\\u001b[2Jgame\\r\\u009b\"}"),
                 200L);

        const QString line = simulator.nextLine();
        QCOMPARE(
            withoutTime(line),
            QStringLiteral("block \\u001b[2Jgame\\r\\u009b | blocked: \\u001b[2Jgame\\r\\u009b"));
    }
};

QTEST_GUILESS_MAIN(CompanionSimulatorTest)
#include "CompanionSimulatorTest.moc"
