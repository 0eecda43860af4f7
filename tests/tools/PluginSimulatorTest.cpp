#include "plugin-sim/PluginSimulator.h"
#include "support/LoopbackHttpServer.h"
#include "support/SimulatorProcess.h"

#include <sstream>

#include <QProcess>
#include <QTest>

using namespace thrumwise;

namespace {

// The exit code of the simulator run with `arguments` and what it printed.
std::pair<int, QByteArray> run(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(THRUMWISE_PLUGIN_SIM), arguments);
    process.waitForFinished(5000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput() + process.readAllStandardError()};
}

}  // namespace

class PluginSimulatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // One time-stamped line per effect; no control character reaches the
    // terminal; nothing else is its protocol, and nothing else prints.
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
        const QString time = QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d effect ");
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^%1sharp_collision\n%1\\\\u001b\\[2J\\\\u009b\n$").arg(time))
                     .match(QString::fromStdString(out.str()))
                     .hasMatch(),
                 out.str().c_str());
    }

    // Started with a free port, it says which; it ends by itself when asked.
    // A port it cannot have is an error of its own.
    void commandLine() {
        test::SimulatorProcess simulator(QStringLiteral(THRUMWISE_PLUGIN_SIM));
        QVERIFY(simulator.port() != 0);
        QVERIFY(simulator.program().stop());
        for (const QString& wrong : {QStringLiteral("65536"), QStringLiteral("-1"), QString()}) {
            QCOMPARE(run({QStringLiteral("--port"), wrong}).first, 2);
        }
        const test::LoopbackHttpServer taken;
        const auto [code, errors] = run({QStringLiteral("--port"), QString::number(taken.port())});
        QCOMPARE(code, 1);
        QVERIFY(errors.contains("cannot listen on port"));
    }
};

QTEST_GUILESS_MAIN(PluginSimulatorTest)
#include "PluginSimulatorTest.moc"
