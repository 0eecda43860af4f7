#include "companion-sim/CompanionSimulator.h"

#include <regex>
#include <sstream>

#include <QTest>

using namespace thrumwise;

class CompanionSimulatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The list is printed, sorted, after every request that changes it or not; no control
    // character reaches the terminal; nothing else prints.
    void keepsTheListAndPrintsItAfterEveryRequest() {
        std::ostringstream out;
        sim::LinePrinter printer(out);
        CompanionSimulator simulator(printer);
        const std::string add = "/blocked-apps/add", remove = "/blocked-apps/remove";
        const auto id = [](const std::string& bundleId) {
            return "{\"bundleId\":\"" + bundleId + "\"}";
        };
        for (const auto& [method, target, body, status] :
             std::vector<std::tuple<std::string, std::string, std::string, int>>{
                 {"POST", add, "not json", 400},
                 {"POST", add, "{}", 400},
                 {"POST", remove, R"({"bundleId":7})", 400},
                 {"GET", add, "", 404},
                 {"POST", add + "/", id("x"), 404},
                 {"POST", add, id("steam_app_570"), 200},
                 {"POST", add + "?x=1", R"({"bundleId":"com.example.arena","extra":1})", 200},
                 {"POST", add, id("steam_app_570"), 200},
                 {"POST", remove, id("not.blocked"), 200},
                 {"POST", remove, id("steam_app_570"), 200},
                 {"POST", add, id(R"(\u001b[2J\r)"), 200}}) {
            QCOMPARE(simulator.handle({method, target, "HTTP/1.1", {}, body, {}}).status, status);
        }
        QCOMPARE(std::regex_replace(out.str(), std::regex(R"(\d\d:\d\d:\d\d\.\d\d\d )"), ""),
                 std::string("block steam_app_570 | blocked: steam_app_570\n"
                             "block com.example.arena | blocked: com.example.arena, steam_app_570\n"
                             "block steam_app_570 | blocked: com.example.arena, steam_app_570\n"
                             "unblock not.blocked | blocked: com.example.arena, steam_app_570\n"
                             "unblock steam_app_570 | blocked: com.example.arena\n"
                             R"(block \u001b[2J\r | blocked: \u001b[2J\r, com.example.arena)"
                             "\n"));
    }
};

QTEST_GUILESS_MAIN(CompanionSimulatorTest)
#include "CompanionSimulatorTest.moc"
