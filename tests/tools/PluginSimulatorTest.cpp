#include "app/AppState.h"
#include "haptics/HapticClient.h"
#include "services/HttpClient.h"
#include "support/AppStateFixture.h"
#include "support/HttpExchange.h"
#include "support/LogRecorder.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualTimerFactory.h"
#include "support/SimulatorProcess.h"

#include <optional>

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;

namespace {

QString simulatorPath() {
    return QStringLiteral(THRUMWISE_PLUGIN_SIM);
}

}  // namespace

class PluginSimulatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void playsEveryTriggerAsOneTimeStampedLine() {
        test::SimulatorProcess simulator(simulatorPath());
        QVERIFY(simulator.port() != 0);
        test::AppStateFixture app;
        AppState& state = app.state();
        test::LogRecorder log;
        test::ManualTimerFactory timers;
        HapticClient client(simulator.port(), state, log.logger(), timers);
        QTRY_VERIFY(state.isPluginConnected());

        std::optional<bool> accepted;
        client.trigger("sharp_collision", [&accepted](bool result) { accepted = result; });
        QTRY_VERIFY(accepted.has_value());
        QVERIFY(*accepted);
        const QString line = simulator.nextLine();
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d effect sharp_collision$"))
                     .match(line)
                     .hasMatch(),
                 qPrintable(line));

        // Whatever a client sends, no control character reaches the terminal.
        client.trigger("\x1b[2J\xc2\x9b", {});
        QVERIFY(simulator.nextLine().endsWith(QStringLiteral(" effect \\u001b[2J\\u009b")));
    }

    void answersOnlyItsTwoOperations() {
        test::SimulatorProcess simulator(simulatorPath());
        HttpClient client({.timeout = 2s});
        const std::string base = "http://localhost:" + std::to_string(simulator.port());
        QCOMPARE(test::getStatus(client, base + "/status"), 200L);
        QCOMPARE(test::postStatus(client, base + "/trigger", R"({"event":"wave"})"), 200L);
        QCOMPARE(test::getStatus(client, base + "/trigger"), 404L);
        QCOMPARE(test::postStatus(client, base + "/status", "{}"), 404L);
        QCOMPARE(test::postStatus(client, base + "/other", "{}"), 404L);
        QCOMPARE(test::postStatus(client, base + "/trigger", R"({"event":1})"), 400L);
        QCOMPARE(test::postStatus(client, base + "/trigger", "not json"), 400L);
    }

    void stopsCleanlyWhenTerminated() {
        test::SimulatorProcess simulator(simulatorPath());
        QVERIFY(simulator.program().stop());  // ends by itself, with status 0
    }

    void commandLine() {
        QProcess help;
        help.start(simulatorPath(), {QStringLiteral("--help")});
        QVERIFY(help.waitForFinished(5000));
        QCOMPARE(help.exitCode(), 0);
        QVERIFY(help.readAllStandardOutput().startsWith("Usage: thrumwise-plugin-sim [--port N]"));

        for (const QString& wrong : {QStringLiteral("65536"), QStringLiteral("-1"), QString()}) {
            QProcess bad;
            bad.start(simulatorPath(), {QStringLiteral("--port"), wrong});
            QVERIFY(bad.waitForFinished(5000));
            QCOMPARE(bad.exitCode(), 2);
        }

        const test::LoopbackHttpServer taken;
        QProcess busy;
        busy.start(simulatorPath(), {QStringLiteral("--port"), QString::number(taken.port())});
        QVERIFY(busy.waitForFinished(5000));
        QCOMPARE(busy.exitCode(), 1);
        QVERIFY(busy.readAllStandardError().contains("cannot listen on port"));
    }
};

QTEST_GUILESS_MAIN(PluginSimulatorTest)
#include "PluginSimulatorTest.moc"
