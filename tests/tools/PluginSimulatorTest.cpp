#include "services/HttpClient.h"
#include "support/HttpExchange.h"
#include "support/LoopbackHttpServer.h"
#include "support/SimulatorProcess.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;
using test::statusOf;

namespace {

QString simulatorPath() {
    return QStringLiteral(THRUMWISE_PLUGIN_SIM);
}

// The exit code of the simulator run with `arguments`, its errors in `errors`.
int exitCode(const QStringList& arguments, QByteArray* errors = nullptr) {
    QProcess process;
    process.start(simulatorPath(), arguments);
    process.waitForFinished(5000);
    if (errors != nullptr) {
        *errors = process.readAllStandardError();
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

}  // namespace

class PluginSimulatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void printsEveryEffectAsOneTimeStampedLine() {
        test::SimulatorProcess simulator(simulatorPath());
        QVERIFY2(simulator.port() != 0, qPrintable(simulator.firstLine()));
        HttpClient client({.timeout = 2s});
        const std::string base = loopbackBaseUrl(simulator.port());

        QCOMPARE(statusOf(client, base + "/status"), 200L);
        QCOMPARE(statusOf(client, base + "/trigger", R"({"event":"sharp_collision"})"), 200L);
        const QString line = simulator.nextLine();
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d "
                                                   "effect sharp_collision$"))
                     .match(line)
                     .hasMatch(),
                 qPrintable(line));
        // Whatever a client sends, no control character reaches the terminal.
        QCOMPARE(statusOf(client, base + "/trigger", "{\"event\":\"\\u001b[2J\\u009b\"}"), 200L);
        QVERIFY(simulator.nextLine().endsWith(QStringLiteral(" effect \\u001b[2J\\u009b")));

        // Nothing else is its protocol, and nothing else prints.
        QCOMPARE(statusOf(client, base + "/trigger"), 404L);
        QCOMPARE(statusOf(client, base + "/status", "{}"), 404L);
        QCOMPARE(statusOf(client, base + "/other", "{}"), 404L);
        QCOMPARE(statusOf(client, base + "/trigger", R"({"event":1})"), 400L);
        QCOMPARE(statusOf(client, base + "/trigger", "not json"), 400L);
        QVERIFY(simulator.program().stop());  // ends by itself when asked, with status 0
        QCOMPARE(simulator.program().lines().size(), 3);
    }

    void commandLine() {
        QProcess help;
        help.start(simulatorPath(), {QStringLiteral("--help")});
        QVERIFY(help.waitForFinished(5000));
        QCOMPARE(help.exitCode(), 0);
        QVERIFY(help.readAllStandardOutput().startsWith("Usage: thrumwise-plugin-sim [--port N]"));
        for (const QString& wrong : {QStringLiteral("65536"), QStringLiteral("-1"), QString()}) {
            QCOMPARE(exitCode({QStringLiteral("--port"), wrong}), 2);
        }
        const test::LoopbackHttpServer taken;
        QByteArray errors;
        QCOMPARE(exitCode({QStringLiteral("--port"), QString::number(taken.port())}, &errors), 1);
        QVERIFY(errors.contains("cannot listen on port"));
    }
};

QTEST_GUILESS_MAIN(PluginSimulatorTest)
#include "PluginSimulatorTest.moc"
