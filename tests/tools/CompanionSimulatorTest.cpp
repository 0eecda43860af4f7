#include "support/SimulatorProcess.h"

#include <QTest>

using namespace thrumwise;

namespace {

constexpr const char* kAdd = "/blocked-apps/add";
constexpr const char* kRemove = "/blocked-apps/remove";

std::string body(const char* bundleId) {
    return std::string(R"({"bundleId":")") + bundleId + R"("})";
}

}  // namespace

class CompanionSimulatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The list is printed, sorted, after every request that changes it or
    // not; no control character reaches the terminal; nothing else prints.
    void keepsTheListAndPrintsItAfterEveryRequest() {
        test::SimulatorProcess simulator(QStringLiteral(THRUMWISE_COMPANION_SIM));
        QVERIFY2(simulator.port() != 0, qPrintable(simulator.firstLine()));
        for (const auto& [path, payload, status] :
             std::vector<std::tuple<std::string, std::optional<std::string>, long>>{
                 {kAdd, "not json", 400},
                 {kAdd, "{}", 400},
                 {kRemove, R"({"bundleId":7})", 400},
                 {kAdd, std::nullopt, 404},
                 {std::string(kAdd) + "/", body("x"), 404},
                 {kAdd, body("steam_app_570"), 200},
                 {kAdd, R"({"bundleId":"com.example.arena","extra":1})", 200},
                 {kAdd, body("steam_app_570"), 200},
                 {kRemove, body("not.blocked"), 200},
                 {kRemove, body("steam_app_570"), 200},
                 {kAdd, body(R"(\u001b[2J\r)"), 200}}) {
            QCOMPARE(simulator.status(path, payload), status);
        }
        for (const char* line :
             {" block steam_app_570 | blocked: steam_app_570",
              " block com.example.arena | blocked: com.example.arena, steam_app_570",
              " block steam_app_570 | blocked: com.example.arena, steam_app_570",
              " unblock not.blocked | blocked: com.example.arena, steam_app_570",
              " unblock steam_app_570 | blocked: com.example.arena",
              R"( block \u001b[2J\r | blocked: \u001b[2J\r, com.example.arena)"}) {
            const QString printed = simulator.nextLine();
            QVERIFY2(printed.endsWith(QString::fromUtf8(line)), qPrintable(printed));
        }
    }
};

QTEST_GUILESS_MAIN(CompanionSimulatorTest)
#include "CompanionSimulatorTest.moc"
