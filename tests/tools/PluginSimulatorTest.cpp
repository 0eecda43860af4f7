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
    // One time-stamped line per effect; no control character reaches the
    // terminal; nothing else is its protocol, and nothing else prints.
    void printsEveryEffectAsOneTimeStampedLine() {
        std::ostringstream out;
        sim::LinePrinter printer(out);
        PluginSimulator simulator(printer);
        const auto status = [&simulator](const char* method, const char* target, const char* body) {
            return simulator.handle({method, target, "HTTP/1.1", {}, body, {}}).status;
        };
        QCOMPARE(status("GET", "/status", ""), 200);
        QCOMPARE(status("POST", "/trigger", "{\"event\":\"sharp_collision\"}"), 200);
        QCOMPARE(status("POST", "/trigger?x=1", "{\"event\":\"\\u001b[2J\\u009b\"}"), 200);
        QCOMPARE(status("GET", "/trigger", ""), 404);
        QCOMPARE(status("POST", "/status", "{}"), 404);
        QCOMPARE(status("POST", "/trigger", "{\"event\":1}"), 400);
        QCOMPARE(status("POST", "/trigger", "not json"), 400);
        const std::string time = R"(\d\d:\d\d:\d\d\.\d\d\d effect )";
        const std::regex expected(time + "sharp_collision\n" + time + R"(\\u001b\[2J\\u009b\n)");
        QVERIFY2(std::regex_match(out.str(), expected), out.str().c_str());
    }

    // A port that is no port or is taken ends it at once (the end-to-end suites run it on a
    // free one).
    void commandLine() {
        const test::LoopbackHttpServer taken;
        for (const auto& [port, code] :
             std::vector<std::pair<QString, int>>{{QStringLiteral("65536"), 2},
                                                  {QStringLiteral("-1"), 2},
                                                  {QString(), 2},
                                                  {QString::number(taken.port()), 1}}) {
            QProcess process;
            process.start(QStringLiteral(THRUMWISE_PLUGIN_SIM), {QStringLiteral("--port"), port});
            QVERIFY(process.waitForFinished(5000));
            QCOMPARE(process.exitCode(), code);
        }
    }
};

QTEST_GUILESS_MAIN(PluginSimulatorTest)
#include "PluginSimulatorTest.moc"
