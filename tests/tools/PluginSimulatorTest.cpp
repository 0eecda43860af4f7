#include "plugin-sim/PluginSimulator.h"
#include "support/LoopbackHttpServer.h"

#include <regex>
#include <sstream>

#include <QProcess>
#include <QTest>

using namespace thrumwise;

class PluginSimulatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One time-stamped line per effect; no control character reaches the terminal; nothing else
    // is its protocol, and nothing else prints.
    void printsEveryEffectAsOneTimeStampedLine() {
        std::ostringstream out;
        sim::LinePrinter printer(out);
        PluginSimulator simulator(printer);
        for (const auto& [method, target, body, status] :
             std::vector<std::tuple<std::string, std::string, std::string, int>>{
                 {"GET", "/status", "", 200},
                 {"POST", "/trigger", R"({"event":"sharp_collision"})", 200},
                 {"POST", "/trigger?x=1", "{\"event\":\"\\u001b[2J\\u009b\"}", 200},
                 {"GET", "/trigger", "", 404},
                 {"POST", "/status", "{}", 404},
                 {"POST", "/trigger", R"({"event":1})", 400},
                 {"POST", "/trigger", "not json", 400}}) {
            QCOMPARE(simulator.handle({method, target, "HTTP/1.1", {}, body, {}}).status, status);
        }
        const std::string time = R"(\d\d:\d\d:\d\d\.\d\d\d effect )";
        const std::regex expected(time + "sharp_collision\n" + time + R"(\\u001b\[2J\\u009b\n)");
        QVERIFY2(std::regex_match(out.str(), expected), out.str().c_str());
    }

    // A port that is no port or is taken ends it at once.
    void commandLine() {
        const test::LoopbackHttpServer taken;
        for (const auto& [port, code] : std::vector<std::pair<std::string, int>>{
                 {"65536", 2}, {"-1", 2}, {"", 2}, {std::to_string(taken.port()), 1}}) {
            QProcess process;
            process.start(QStringLiteral(THRUMWISE_PLUGIN_SIM),
                          {QStringLiteral("--port"), QString::fromStdString(port)});
            QVERIFY(process.waitForFinished(5000) && process.exitCode() == code);
        }
    }
};

QTEST_GUILESS_MAIN(PluginSimulatorTest)
#include "PluginSimulatorTest.moc"
