#include "services/HttpClient.h"
#include "support/HttpExchange.h"
#include "support/SimulatorProcess.h"

#include <QRegularExpression>
#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;
using test::statusOf;

namespace {

// A printed request line without its time of day; empty when it has no time in front.
QString withoutTime(const QString& line) {
    return QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d (.*)$"))
        .match(line)
        .captured(1);
}

std::string body(const char* bundleId) {
    return std::string(R"({"bundleId":")") + bundleId + R"("})";
}

}  // namespace

class CompanionSimulatorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::SimulatorProcess> simulator_;
    HttpClient client_{{.timeout = 2s}};
    std::string add_;
    std::string remove_;

private Q_SLOTS:
    void init() {
        simulator_ =
            std::make_unique<test::SimulatorProcess>(QStringLiteral(THRUMWISE_COMPANION_SIM));
        QVERIFY2(simulator_->firstLine().startsWith(
                     QStringLiteral("thrumwise-companion-sim listening on http://127.0.0.1:")),
                 qPrintable(simulator_->firstLine()));
        add_ = loopbackBaseUrl(simulator_->port()) + "/blocked-apps/add";
        remove_ = loopbackBaseUrl(simulator_->port()) + "/blocked-apps/remove";
    }

    void keepsTheListAndPrintsItAfterEveryRequest() {
        const std::vector<std::pair<std::string, const char*>> requests{
            {add_, "steam_app_570"},       {add_, "com.example.arena"},
            {add_, "steam_app_570"},  // already there: the list stays as it is
            {remove_, "steam_app_570"},    {remove_, "not.blocked"},
            {remove_, "com.example.arena"}};
        for (const auto& [url, bundleId] : requests) {
            QCOMPARE(statusOf(client_, url, body(bundleId)), 200L);
        }
        for (const char* line :
             {"block steam_app_570 | blocked: steam_app_570",
              "block com.example.arena | blocked: com.example.arena, steam_app_570",
              "block steam_app_570 | blocked: com.example.arena, steam_app_570",
              "unblock steam_app_570 | blocked: com.example.arena",
              "unblock not.blocked | blocked: com.example.arena",
              "unblock com.example.arena | blocked: (none)"}) {
            QCOMPARE(withoutTime(simulator_->nextLine()), QString::fromUtf8(line));
        }
    }

    void rejectsWhatIsNotItsProtocolWithoutPrinting() {
        QCOMPARE(statusOf(client_, add_, "not json"), 400L);
        QCOMPARE(statusOf(client_, add_, "{}"), 400L);
        QCOMPARE(statusOf(client_, remove_, R"({"bundleId":7})"), 400L);
        QCOMPARE(statusOf(client_, remove_, R"(["bundleId","x"])"), 400L);
        QCOMPARE(statusOf(client_, add_, R"({"bundleId":null})"), 400L);
        QCOMPARE(statusOf(client_, add_), 404L);
        QCOMPARE(statusOf(client_, add_ + "/", body("x")), 404L);
        QCOMPARE(statusOf(client_, add_.substr(0, add_.size() - 4), body("x")), 404L);
        // Only the one good request prints.
        QCOMPARE(statusOf(client_, add_, R"({"bundleId":"x","extra":1})"), 200L);
        QCOMPARE(withoutTime(simulator_->nextLine()), QStringLiteral("block x | blocked: x"));
    }

    // Whatever a client sends, no control character reaches the terminal.
    void escapesControlCharactersInIdentifiers() {
        QCOMPARE(statusOf(client_, add_, "{\"bundleId\":\"\\u001b[2Jgame\\r\\u009b\"}"), 200L);
        QCOMPARE(
            withoutTime(simulator_->nextLine()),
            QStringLiteral("block \\u001b[2Jgame\\r\\u009b | blocked: \\u001b[2Jgame\\r\\u009b"));
    }
};

QTEST_GUILESS_MAIN(CompanionSimulatorTest)
#include "CompanionSimulatorTest.moc"
