#include "app/AppState.h"
#include "haptics/HapticClient.h"
#include "services/HttpClient.h"
#include "support/AppStateFixture.h"
#include "support/LogRecorder.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualTimerFactory.h"

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

// The simulator as a new user runs it, on a free port.
class RunningSimulator {
public:
    RunningSimulator() {
        process_.start(simulatorPath(), {QStringLiteral("--port"), QStringLiteral("0")});
        const QString first = nextLine();
        const auto match =
            QRegularExpression(QStringLiteral("listening on http://127\\.0\\.0\\.1:(\\d+)$"))
                .match(first);
        port_ = static_cast<std::uint16_t>(match.captured(1).toUInt());
    }
    ~RunningSimulator() {
        process_.terminate();
        process_.waitForFinished();
    }
    RunningSimulator(const RunningSimulator&) = delete;
    RunningSimulator& operator=(const RunningSimulator&) = delete;

    std::uint16_t port() const { return port_; }
    QProcess& process() { return process_; }

    // The next line it prints, or an empty text after five seconds.
    QString nextLine() {
        while (!process_.canReadLine() && process_.waitForReadyRead(5000)) {
        }
        return QString::fromUtf8(process_.readLine()).trimmed();
    }

private:
    QProcess process_;
    std::uint16_t port_ = 0;
};

long statusOf(HttpClient& client, bool isPost, const std::string& url, const std::string& body) {
    std::optional<long> status;
    const auto done = [&status](const HttpResponse& response) {
        status = response.status;
    };
    if (isPost) {
        client.postJson(url, body, done);
    } else {
        client.get(url, done);
    }
    static_cast<void>(QTest::qWaitFor([&status] { return status.has_value(); }, 5000));
    return status.value_or(-1);
}

}  // namespace

class PluginSimulatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void playsEveryTriggerAsOneTimeStampedLine() {
        RunningSimulator simulator;
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
        RunningSimulator simulator;
        HttpClient client({.timeout = 2s});
        const std::string base = "http://localhost:" + std::to_string(simulator.port());
        QCOMPARE(statusOf(client, false, base + "/status", ""), 200L);
        QCOMPARE(statusOf(client, true, base + "/trigger", R"({"event":"wave"})"), 200L);
        QCOMPARE(statusOf(client, false, base + "/trigger", ""), 404L);
        QCOMPARE(statusOf(client, true, base + "/status", "{}"), 404L);
        QCOMPARE(statusOf(client, true, base + "/other", "{}"), 404L);
        QCOMPARE(statusOf(client, true, base + "/trigger", R"({"event":1})"), 400L);
        QCOMPARE(statusOf(client, true, base + "/trigger", "not json"), 400L);
    }

    void stopsCleanlyWhenTerminated() {
        RunningSimulator simulator;
        simulator.process().terminate();
        QVERIFY(simulator.process().waitForFinished(5000));
        QCOMPARE(simulator.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(simulator.process().exitCode(), 0);
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
