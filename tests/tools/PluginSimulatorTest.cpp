#include "support/LoopbackHttpServer.h"
#include "support/SimulatorProcess.h"

#include <QProcess>
#include <QRegularExpression>
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
        test::SimulatorProcess simulator(QStringLiteral(THRUMWISE_PLUGIN_SIM));
        QVERIFY2(simulator.port() != 0, qPrintable(simulator.firstLine()));
        QCOMPARE(simulator.status("/status"), 200L);
        QCOMPARE(simulator.status("/trigger", R"({"event":"sharp_collision"})"), 200L);
        const QString line = simulator.nextLine();
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d "
                                                   "effect sharp_collision$"))
                     .match(line)
                     .hasMatch(),
                 qPrintable(line));
        QCOMPARE(simulator.status("/trigger", "{\"event\":\"\\u001b[2J\\u009b\"}"), 200L);
        QVERIFY(simulator.nextLine().endsWith(QStringLiteral(" effect \\u001b[2J\\u009b")));
        QCOMPARE(simulator.status("/trigger"), 404L);
        QCOMPARE(simulator.status("/status", "{}"), 404L);
        QCOMPARE(simulator.status("/trigger", R"({"event":1})"), 400L);
        QCOMPARE(simulator.status("/trigger", "not json"), 400L);
        QVERIFY(simulator.program().stop());  // ends by itself when asked, with status 0
        QCOMPARE(simulator.program().lines().size(), 3);
    }

    void commandLine() {
        const auto [helped, usage] = run({QStringLiteral("--help")});
        QCOMPARE(helped, 0);
        QVERIFY(usage.startsWith("Usage: thrumwise-plugin-sim [--port N]"));
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
