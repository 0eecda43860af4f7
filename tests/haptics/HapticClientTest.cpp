#include "haptics/HapticClient.h"
#include "support/LogRecorder.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualTimerFactory.h"

#include <atomic>
#include <thread>

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace thrumwise;
using namespace std::chrono_literals;
using Reply = test::LoopbackHttpServer::Reply;

// Waits without running queued work on the GUI thread.
bool waitUnqueued(const std::function<bool()>& condition) {
    for (int waited = 0; !condition() && waited < 5000; ++waited) {
        std::this_thread::sleep_for(1ms);
    }
    return condition();
}

// A started client, once `requestsSeen` tells that its first status check is there.
struct Rig {
    Rig(std::uint16_t port, const std::function<std::size_t()>& requestsSeen)
        : client(port, log.logger(), timers), changes(&client, &HapticClient::connectionChanged) {
        client.start();
        QTRY_COMPARE(requestsSeen(), std::size_t{1});
    }
    explicit Rig(test::LoopbackHttpServer& plugin)
        : Rig(plugin.port(), [&plugin] { return plugin.requests().size(); }) {}
    bool connected() const { return !changes.isEmpty() && changes.constLast().at(0).toBool(); }

    // The completion on the GUI thread, and whether a change was told before it.
    std::optional<std::pair<bool, bool>> ask(
        const std::function<void(HapticTrigger::Completion)>& send) const {
        std::optional<std::pair<bool, bool>> result;
        send([&](bool accepted) {
            if (QThread::currentThread() == qApp->thread()) {
                result = {accepted, connected() == client.isConnected()};
            }
        });
        static_cast<void>(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
        return result;
    }
    std::optional<bool> trigger(const std::string& pattern) {
        const auto result = ask([&](auto done) { client.trigger(pattern, std::move(done)); });
        return result ? std::optional(result->first && result->second) : std::nullopt;
    }

    test::LogRecorder log;
    test::ManualTimerFactory timers;
    HapticClient client;
    QSignalSpy changes;
};

class HapticClientTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A trigger answered 200 connects; only a change is told, and before the completion. A
    // trigger answered otherwise is only refused; a status other than 200 means the plug-in is
    // not there. An empty pattern sends nothing.
    void asksForTheStatusAtOnceAndOnEveryPollAndOnlyStatus200Counts() {
        test::LoopbackHttpServer plugin;
        plugin.setReply("/status", Reply::answer(500));
        Rig rig(plugin);
        QCOMPARE(rig.timers.last().interval, 5000ms);
        rig.timers.tickAll();
        QTRY_COMPARE(plugin.requests().size(), std::size_t{2});
        QCOMPARE(rig.trigger("sharp_collision"), std::optional(true));
        QCOMPARE(rig.trigger("wave"), std::optional(true));
        QVERIFY(rig.connected() && rig.changes.count() == 1);
        plugin.setReply("/trigger", Reply::answer(204));
        QCOMPARE(rig.trigger("knock"), std::optional(false));
        QCOMPARE(rig.trigger(""), std::optional(false));
        QVERIFY(rig.client.isConnected());
        QCOMPARE(rig.ask([&](auto done) { rig.client.checkConnection(std::move(done)); }),
                 std::optional(std::pair(false, true)));
        QVERIFY(!rig.connected() && rig.changes.count() == 2);
        std::vector<std::string> sent;
        for (const auto& request : plugin.requests()) {
            sent.push_back(request.method + " " + request.target + " " + request.body);
        }
        QCOMPARE(sent,
                 (std::vector<std::string>{"GET /status ", "GET /status ",
                                           R"(POST /trigger {"event":"sharp_collision"})",
                                           R"(POST /trigger {"event":"wave"})",
                                           R"(POST /trigger {"event":"knock"})", "GET /status "}));
        QVERIFY(rig.log.lines().empty());
        // Changes queued before the GUI thread runs any tell the value current then.
        plugin.setReply("/trigger", Reply::answer(200));
        rig.client.trigger("wave", {});
        QVERIFY(waitUnqueued([&] { return rig.client.isConnected(); }));
        rig.client.checkConnection();
        QVERIFY(waitUnqueued([&] { return !rig.client.isConnected(); }));
        QTRY_COMPARE(rig.changes.count(), 4);
        QVERIFY(!rig.changes.at(2).at(0).toBool() && !rig.changes.at(3).at(0).toBool());
    }

    // Each trigger fails at its own limit, none waits behind another, the calls never wait.
    void aPluginSlowerThanTheLimitFailsEachTriggerAtIt() {
        test::LoopbackHttpServer plugin;
        Rig rig(plugin);
        QTRY_VERIFY(rig.connected());
        plugin.setReply("/trigger", Reply::answer(200).after(2s));
        plugin.setReply("/status", Reply::silence());
        std::vector<bool> results;
        for (int i = 0; i < 3; ++i) {
            rig.client.trigger("wave", [&results](bool accepted) { results.push_back(accepted); });
        }
        QVERIFY(results.empty());  // the completions come on a later turn of the event loop
        QTRY_COMPARE(results, std::vector<bool>(3, false));
        QVERIFY(!rig.connected());
        QCOMPARE(rig.ask([&](auto done) { rig.client.checkConnection(std::move(done)); }),
                 std::optional(std::pair(false, true)));
        // curl counts from the request's start, the limit from its making: about 500 ms
        // (late under load), never 300 or less, nor the few left had they waited in line.
        const QRegularExpression timedOut(
            QStringLiteral("^\\[HapticClient\\] Failed to trigger haptic: .*timed out after "
                           "(3[5-9]|[4-6]\\d)\\d milliseconds"));
        QCOMPARE(rig.log.lines().size(), std::size_t{3});
        for (const std::string& line : rig.log.lines()) {
            QVERIFY2(timedOut.match(QString::fromStdString(line)).hasMatch(), line.c_str());
        }
    }

    // No trigger is lost to a dropped connection or a restart; a poll after each tells the change.
    void aPluginThatDropsOrRestartsLosesNoTrigger() {
        // The first trigger goes on the status check's kept connection, closed unanswered.
        std::atomic<std::size_t> requests = 0;
        std::atomic<bool> garbled = false;
        const auto answer = [&](const HttpRequest&) {
            return ++requests == 2 || garbled ? Reply::raw({}) : Reply::answer(200);
        };
        auto plugin = std::make_unique<HttpServer>(0, answer);
        const std::uint16_t port = plugin->port();
        const auto restart = [&] {
            plugin.reset();
            plugin = std::make_unique<HttpServer>(port, answer);
        };
        std::optional<Rig> rig(std::in_place, port, [&requests] { return requests.load(); });
        QTRY_VERIFY(rig->connected());
        QCOMPARE(rig->trigger("wave"), std::optional(true));
        QCOMPARE(requests.load(), std::size_t{3});
        restart();
        QCOMPARE(rig->trigger("wave"), std::optional(true));
        QCOMPARE(rig->changes.count(), 1);
        plugin.reset();
        rig->timers.tickAll();
        QTRY_VERIFY(!rig->connected());
        restart();
        rig->timers.tickAll();
        QTRY_VERIFY(rig->connected());
        QCOMPARE(rig->changes.count(), 3);
        QCOMPARE(rig->trigger("wave"), std::optional(true));
        QVERIFY(rig->log.lines().empty());
        // A failure's disconnection and completion are queued, so a client gone delivers neither.
        garbled = true;
        bool wasDelivered = false;
        rig->client.trigger("wave", [&wasDelivered](bool) { wasDelivered = true; });
        QVERIFY(waitUnqueued([&] { return !rig->log.lines().empty(); }));
        rig.reset();
        QCoreApplication::sendPostedEvents();
        QVERIFY(!wasDelivered);
    }
};

QTEST_GUILESS_MAIN(HapticClientTest)
#include "HapticClientTest.moc"
