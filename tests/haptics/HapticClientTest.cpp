#include "app/AppState.h"
#include "haptics/HapticClient.h"
#include "support/AppStateFixture.h"
#include "support/LogRecorder.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualTimerFactory.h"

#include <chrono>
#include <optional>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace thrumwise;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Reply = test::LoopbackHttpServer::Reply;

namespace {

constexpr std::string_view failurePrefix = "[HapticClient] Failed to trigger haptic: ";

// A client on its own state, log and timers, talking to `port`.
struct Fixture {
    explicit Fixture(std::uint16_t port)
        : connectedChanges(&state, &AppState::isPluginConnectedChanged),
          client(port, state, log.logger(), timers) {}

    // Triggers and waits for the completion; nullopt if none came.
    std::optional<bool> trigger(const std::string& pattern) {
        std::optional<bool> accepted;
        client.trigger(pattern, [&accepted](bool result) { accepted = result; });
        static_cast<void>(QTest::qWaitFor([&accepted] { return accepted.has_value(); }, 5000));
        return accepted;
    }

    test::AppStateFixture app;
    AppState& state = app.state();
    QSignalSpy connectedChanges;
    test::LogRecorder log;
    test::ManualTimerFactory timers;
    HapticClient client;
};

}  // namespace

class HapticClientTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void checksStatusAtOnceAndThenOnEveryPoll() {
        test::LoopbackHttpServer plugin;
        Fixture fixture(plugin.port());
        QCOMPARE(fixture.timers.runningIntervals(), std::vector<std::chrono::milliseconds>{5s});

        QTRY_VERIFY(fixture.state.isPluginConnected());
        QVERIFY(fixture.client.isConnected());
        QCOMPARE(fixture.connectedChanges.count(), 1);
        QCOMPARE(plugin.requestCount(), std::size_t{1});

        fixture.timers.tickAll();
        QTRY_COMPARE(plugin.requestCount(), std::size_t{2});
        for (const auto& request : plugin.requests()) {
            QCOMPARE(request.method, std::string("GET"));
            QCOMPARE(request.target, std::string("/status"));
            QVERIFY(request.body.empty());
            QVERIFY(!request.header("Content-Type"));
        }
    }

    void acceptedTriggerConnectsAndSendsTheCompactEvent() {
        test::LoopbackHttpServer plugin;
        plugin.setReply("/status", Reply::answer(500));
        Fixture fixture(plugin.port());
        QTRY_COMPARE(plugin.requestCount(), std::size_t{1});

        bool wasMirroredFirst = false;
        bool isOnGuiThread = false;
        std::optional<bool> accepted;
        fixture.client.trigger("sharp_collision", [&](bool result) {
            wasMirroredFirst = fixture.state.isPluginConnected();
            isOnGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
            accepted = result;
        });
        QTRY_VERIFY(accepted.has_value());
        QVERIFY(*accepted);
        QVERIFY(wasMirroredFirst);
        QVERIFY(isOnGuiThread);
        QVERIFY(fixture.client.isConnected());
        QCOMPARE(fixture.connectedChanges.count(), 1);

        QCOMPARE(fixture.trigger("quote\" back\\slash"), std::optional<bool>(true));
        QCOMPARE(fixture.connectedChanges.count(), 1);

        const auto requests = plugin.requests();
        QCOMPARE(requests.size(), std::size_t{3});
        QCOMPARE(requests[1].method, std::string("POST"));
        QCOMPARE(requests[1].target, std::string("/trigger"));
        QCOMPARE(requests[1].header("Content-Type").value_or(""),
                 std::string_view("application/json"));
        QCOMPARE(requests[1].body, std::string(R"({"event":"sharp_collision"})"));
        QCOMPARE(requests[2].body, std::string("{\"event\":\"quote\\\" back\\\\slash\"}"));
        QVERIFY(fixture.log.lines().empty());
    }

    void triggerRejectedByStatusLeavesConnectionAsItWas() {
        test::LoopbackHttpServer plugin;
        plugin.setReply("/trigger", Reply::answer(204));
        Fixture fixture(plugin.port());
        QTRY_VERIFY(fixture.state.isPluginConnected());

        QCOMPARE(fixture.trigger("wave"), std::optional<bool>(false));
        QVERIFY(fixture.client.isConnected());
        QVERIFY(fixture.state.isPluginConnected());
        QCOMPARE(fixture.connectedChanges.count(), 1);
        QVERIFY(fixture.log.lines().empty());
    }

    void triggerAndStatusDisagreeingFlipTheMirrorEachTime() {
        test::LoopbackHttpServer plugin;
        plugin.setReply("/status", Reply::answer(500));
        Fixture fixture(plugin.port());
        QTRY_COMPARE(plugin.requestCount(), std::size_t{1});

        for (int round = 1; round <= 2; ++round) {
            QCOMPARE(fixture.trigger("knock"), std::optional<bool>(true));
            QVERIFY(fixture.state.isPluginConnected());
            QCOMPARE(fixture.connectedChanges.count(), 2 * round - 1);

            std::optional<bool> isUp;
            fixture.client.checkConnection([&isUp](bool result) { isUp = result; });
            QTRY_VERIFY(isUp.has_value());
            QVERIFY(!*isUp);
            QVERIFY(!fixture.client.isConnected());
            QVERIFY(!fixture.state.isPluginConnected());
            QCOMPARE(fixture.connectedChanges.count(), 2 * round);
        }
        QVERIFY(fixture.log.lines().empty());
    }

    void queuedUpdatesWriteTheValueCurrentWhenTheyRun() {
        test::LoopbackHttpServer plugin;
        plugin.setReply("/status", Reply::answer(500));
        Fixture fixture(plugin.port());
        QTRY_COMPARE(plugin.requestCount(), std::size_t{1});
        std::vector<bool> mirrored;
        connect(&fixture.state, &AppState::isPluginConnectedChanged, this,
                [&] { mirrored.push_back(fixture.state.isPluginConnected()); });

        // Both changes happen before the GUI thread runs any queued work.
        const auto waitWithoutEvents = [&fixture](bool connected) {
            const Clock::time_point deadline = Clock::now() + 5s;
            while (fixture.client.isConnected() != connected && Clock::now() < deadline) {
                std::this_thread::sleep_for(1ms);
            }
            return fixture.client.isConnected() == connected;
        };
        fixture.client.trigger("wave", {});
        QVERIFY(waitWithoutEvents(true));
        fixture.client.checkConnection();
        QVERIFY(waitWithoutEvents(false));

        QTRY_COMPARE(mirrored.size(), std::size_t{2});
        QCOMPARE(mirrored, (std::vector<bool>{false, false}));
    }

    void silentPluginFailsTheTriggerAtTheLimitAndLogs() {
        test::LoopbackHttpServer plugin;
        plugin.setReply("/trigger", Reply::silence());
        Fixture fixture(plugin.port());
        QTRY_VERIFY(fixture.state.isPluginConnected());

        const Clock::time_point start = Clock::now();
        QCOMPARE(fixture.trigger("wave"), std::optional<bool>(false));
        const auto elapsed = Clock::now() - start;
        QVERIFY(elapsed >= 450ms && elapsed < 2s);
        QVERIFY(!fixture.client.isConnected());
        QVERIFY(!fixture.state.isPluginConnected());
        QCOMPARE(fixture.connectedChanges.count(), 2);
        QCOMPARE(fixture.log.lines().size(), std::size_t{1});
        QVERIFY(fixture.log.containsPrefix(std::string(failurePrefix)));
    }

    void absentPluginFailsQuietlyOnStatusAndLoudlyOnTrigger() {
        const test::RefusingPort nothing;
        Fixture fixture(nothing.port());
        std::optional<bool> isUp;
        fixture.client.checkConnection([&isUp](bool result) { isUp = result; });
        QTRY_VERIFY(isUp.has_value());
        QVERIFY(!*isUp);
        QVERIFY(fixture.log.lines().empty());

        QCOMPARE(fixture.trigger("sharp_collision"), std::optional<bool>(false));
        const auto lines = fixture.log.lines();
        QCOMPARE(lines.size(), std::size_t{1});
        QVERIFY(lines[0].starts_with(failurePrefix));
        QVERIFY(lines[0].size() > failurePrefix.size());
        QCOMPARE(fixture.connectedChanges.count(), 0);
    }

    void emptyPatternSendsNothing() {
        test::LoopbackHttpServer plugin;
        Fixture fixture(plugin.port());
        QTRY_VERIFY(fixture.state.isPluginConnected());

        QCOMPARE(fixture.trigger(""), std::optional<bool>(false));
        QVERIFY(fixture.client.isConnected());
        QCOMPARE(plugin.requestCount(), std::size_t{1});
    }

    void nothingIsDeliveredOnceTheClientIsGone() {
        test::LoopbackHttpServer plugin;
        plugin.setReply("/trigger", test::LoopbackHttpServer::garbage());
        test::LogRecorder log;
        test::ManualTimerFactory timers;
        test::AppStateFixture app;
        AppState& state = app.state();
        QSignalSpy connectedChanges(&state, &AppState::isPluginConnectedChanged);
        bool wasDelivered = false;
        {
            HapticClient client(plugin.port(), state, log.logger(), timers);
            QTRY_VERIFY(state.isPluginConnected());
            client.trigger("wave", [&wasDelivered](bool) { wasDelivered = true; });
            // Without running queued work: once the failure is logged, the
            // disconnection and the completion are queued or about to be.
            const Clock::time_point deadline = Clock::now() + 5s;
            while (log.lines().empty() && Clock::now() < deadline) {
                std::this_thread::sleep_for(1ms);
            }
            QCOMPARE(log.lines().size(), std::size_t{1});
        }
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QVERIFY(!wasDelivered);
        QVERIFY(state.isPluginConnected());
        QCOMPARE(connectedChanges.count(), 1);
        QVERIFY(timers.runningIntervals().empty());
    }
};

QTEST_GUILESS_MAIN(HapticClientTest)
#include "HapticClientTest.moc"
