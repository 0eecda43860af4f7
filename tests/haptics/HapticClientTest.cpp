#include "haptics/HapticClient.h"
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

constexpr std::string_view kFailure = "[HapticClient] Failed to trigger haptic: ";

// Waits without running queued work on the GUI thread.
bool waitUnqueued(const std::function<bool()>& condition) {
    const Clock::time_point deadline = Clock::now() + 5s;
    while (!condition() && Clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    return condition();
}

// A started client on its own log and timers, talking to `port`; `connected`
// follows what it says of the plug-in.
struct Fixture {
    explicit Fixture(std::uint16_t port)
        : client(port, log.logger(), timers),
          connectedChanges(&client, &HapticClient::connectionChanged) {
        QObject::connect(&client, &HapticClient::connectionChanged,
                         [this](bool isConnected) { connected = isConnected; });
        client.start();
    }

    // Waits for the completion; nullopt if none came.
    static std::optional<bool> outcome(const std::function<void(HapticTrigger::Completion)>& ask) {
        std::optional<bool> result;
        ask([&result](bool value) { result = value; });
        static_cast<void>(QTest::qWaitFor([&result] { return result.has_value(); }, 5000));
        return result;
    }
    std::optional<bool> trigger(const std::string& pattern) {
        return outcome([&](auto done) { client.trigger(pattern, std::move(done)); });
    }
    std::optional<bool> check() {
        return outcome([&](auto done) { client.checkConnection(std::move(done)); });
    }

    test::LogRecorder log;
    test::ManualTimerFactory timers;
    HapticClient client;
    QSignalSpy connectedChanges;
    bool connected = false;
};

}  // namespace

class HapticClientTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void asksForTheStatusAtOnceAndOnEveryPoll() {
        test::LoopbackHttpServer plugin;
        Fixture fixture(plugin.port());
        QCOMPARE(fixture.timers.last().interval, 5000ms);
        QTRY_VERIFY(fixture.connected);
        fixture.timers.tickAll();
        QTRY_COMPARE(plugin.requestCount(), std::size_t{2});
        for (const auto& request : plugin.requests()) {
            QCOMPARE(request.method + " " + request.target, std::string("GET /status"));
        }
    }

    void anAcceptedTriggerSendsTheEventAndIsMirroredBeforeItsCompletion() {
        test::LoopbackHttpServer plugin;
        plugin.setReply("/status", Reply::answer(500));
        Fixture fixture(plugin.port());
        QTRY_COMPARE(plugin.requestCount(), std::size_t{1});

        bool wasMirroredFirst = false;
        bool isOnGuiThread = false;
        const auto accepted = Fixture::outcome([&](auto done) {
            fixture.client.trigger("sharp_collision", [&, done](bool result) {
                wasMirroredFirst = fixture.connected;
                isOnGuiThread = QThread::currentThread() == qApp->thread();
                done(result);
            });
        });
        QCOMPARE(accepted, std::optional(true));
        QVERIFY(wasMirroredFirst && isOnGuiThread);
        QCOMPARE(fixture.trigger("wave"), std::optional(true));
        QCOMPARE(fixture.connectedChanges.count(), 1);  // changes only

        const auto requests = plugin.requests();
        QCOMPARE(requests.size(), std::size_t{3});
        QCOMPARE(requests[1].method + " " + requests[1].target, std::string("POST /trigger"));
        QCOMPARE(requests[1].body, std::string(R"({"event":"sharp_collision"})"));
        QVERIFY(fixture.log.lines().empty());
    }

    // A trigger answered other than 200 is only refused; a status other than
    // 200 means the plug-in is not there.
    void otherStatusesRefuseTheTriggerAndDisconnectTheStatus() {
        test::LoopbackHttpServer plugin;
        plugin.setReply("/trigger", Reply::answer(204));
        Fixture fixture(plugin.port());
        QTRY_VERIFY(fixture.connected);

        QCOMPARE(fixture.trigger("wave"), std::optional(false));
        QVERIFY(fixture.client.isConnected());
        QCOMPARE(fixture.connectedChanges.count(), 1);
        plugin.setReply("/status", Reply::answer(500));
        QCOMPARE(fixture.check(), std::optional(false));
        QVERIFY(!fixture.client.isConnected() && !fixture.connected);
        QCOMPARE(fixture.connectedChanges.count(), 2);
        QVERIFY(fixture.log.lines().empty());
    }

    void queuedUpdatesWriteTheValueCurrentWhenTheyRun() {
        test::LoopbackHttpServer plugin;
        plugin.setReply("/status", Reply::answer(500));
        Fixture fixture(plugin.port());
        QTRY_COMPARE(plugin.requestCount(), std::size_t{1});
        std::vector<bool> mirrored;
        connect(&fixture.client, &HapticClient::connectionChanged, this,
                [&](bool isConnected) { mirrored.push_back(isConnected); });

        // Both changes happen before the GUI thread runs any queued work.
        fixture.client.trigger("wave", {});
        QVERIFY(waitUnqueued([&] { return fixture.client.isConnected(); }));
        fixture.client.checkConnection();
        QVERIFY(waitUnqueued([&] { return !fixture.client.isConnected(); }));

        QTRY_COMPARE(mirrored.size(), std::size_t{2});
        QCOMPARE(mirrored, (std::vector<bool>{false, false}));
    }

    void aSilentPluginFailsTheTriggerAtTheLimitAndLogs() {
        test::LoopbackHttpServer plugin;
        plugin.setReply("/trigger", Reply::silence());
        Fixture fixture(plugin.port());
        QTRY_VERIFY(fixture.connected);

        const Clock::time_point start = Clock::now();
        QCOMPARE(fixture.trigger("wave"), std::optional(false));
        const auto elapsed = Clock::now() - start;
        QVERIFY(elapsed >= 450ms && elapsed < 2s);
        QVERIFY(!fixture.connected);
        QCOMPARE(fixture.log.lines().size(), std::size_t{1});
        QVERIFY(fixture.log.lines()[0].starts_with(kFailure));
    }

    void anAbsentPluginFailsQuietlyOnStatusAndLoudlyOnTrigger() {
        const test::RefusingPort nothing;
        Fixture fixture(nothing.port());
        QCOMPARE(fixture.check(), std::optional(false));
        QVERIFY(fixture.log.lines().empty());

        QCOMPARE(fixture.trigger("sharp_collision"), std::optional(false));
        const auto lines = fixture.log.lines();
        QCOMPARE(lines.size(), std::size_t{1});
        QVERIFY(lines[0].starts_with(kFailure) && lines[0].size() > kFailure.size());
        QCOMPARE(fixture.connectedChanges.count(), 0);
    }

    void anEmptyPatternSendsNothing() {
        test::LoopbackHttpServer plugin;
        Fixture fixture(plugin.port());
        QTRY_VERIFY(fixture.connected);
        QCOMPARE(fixture.trigger(""), std::optional(false));
        QCOMPARE(plugin.requestCount(), std::size_t{1});
    }

    void nothingIsDeliveredOnceTheClientIsGone() {
        test::LoopbackHttpServer plugin;
        plugin.setReply("/trigger", test::LoopbackHttpServer::garbage());
        test::LogRecorder log;
        test::ManualTimerFactory timers;
        std::vector<bool> told;
        bool wasDelivered = false;
        {
            HapticClient client(plugin.port(), log.logger(), timers);
            connect(&client, &HapticClient::connectionChanged, this,
                    [&told](bool isConnected) { told.push_back(isConnected); });
            client.start();
            QTRY_COMPARE(told, std::vector<bool>{true});
            client.trigger("wave", [&wasDelivered](bool) { wasDelivered = true; });
            // Once the failure is logged, the disconnection and the completion
            // are queued or about to be.
            QVERIFY(waitUnqueued([&] { return !log.lines().empty(); }));
        }
        QCoreApplication::sendPostedEvents();
        QVERIFY(!wasDelivered);
        QCOMPARE(told, std::vector<bool>{true});
        QCOMPARE(timers.runningCount(), std::size_t{0});
    }
};

QTEST_GUILESS_MAIN(HapticClientTest)
#include "HapticClientTest.moc"
