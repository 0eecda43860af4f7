#include "services/HttpClient.h"
#include "support/LoopbackHttpServer.h"
#include "support/ScriptedTcpServer.h"

#include <future>

#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;
using Reply = test::LoopbackHttpServer::Reply;
using Act = test::ScriptedTcpServer::Act;
using Step = test::ScriptedTcpServer::Step;

Q_DECLARE_METATYPE(thrumwise::test::ScriptedTcpServer::Step)

namespace {

// A request handed to `client`; its outcome arrives on the worker thread.
std::future<HttpResponse> request(HttpClient& client, const std::string& url,
                                  std::optional<std::string> body = std::nullopt) {
    auto promise = std::make_shared<std::promise<HttpResponse>>();
    auto done = [promise](const HttpResponse& response) {
        promise->set_value(response);
    };
    body ? client.postJson(url, *body, done) : client.get(url, done);
    return promise->get_future();
}

HttpResponse outcome(std::future<HttpResponse> future) {
    return future.wait_for(8s) == std::future_status::ready ? future.get()
                                                            : HttpResponse{0, "no completion", {}};
}

}  // namespace

class HttpClientTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Redirects are not followed; a body beyond the cap and a scheme other
    // than http(s) are transport errors. One connection
    // serves one request after another; a user's proxy never gets loopback requests.
    void repliesCarryTheirStatusAndBodiesOnlyUpToTheCap() {
        test::LoopbackHttpServer server;
        server.setReply("/ok", Reply::answer(200, "hello"));
        server.setReply("/broken", Reply::answer(500, "oops"));
        server.setReply("/fits", Reply::answer(200, std::string(16, 'x')));
        server.setReply("/large", Reply::answer(200, std::string(17, 'x')));
        server.setReply("/moved", Reply::raw("HTTP/1.1 302 Found\r\nLocation: /ok\r\n"
                                             "Content-Length: 0\r\n\r\n"));
        const test::RefusingPort proxy;
        qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(proxy.port()));
        HttpClient keeping({.timeout = 2s, .maxBodyBytes = 16});
        HttpClient discarding({.timeout = 2s});
        for (const auto& [client, path, status, body] :
             std::vector<std::tuple<HttpClient*, std::string, long, std::string>>{
                 {&keeping, "/ok", 200, "hello"},
                 {&keeping, "/broken", 500, "oops"},
                 {&keeping, "/fits", 200, std::string(16, 'x')},
                 {&keeping, "/moved", 302, ""},
                 {&discarding, "/ok", 200, ""},
                 {&discarding, "/ok", 200, ""}}) {
            const HttpResponse response = outcome(request(*client, server.url(path)));
            QVERIFY2(response.status == status && response.body == body, response.error.c_str());
        }
        for (const std::string& url : {server.url("/large"), std::string("file:///etc/hostname")}) {
            const HttpResponse response = outcome(request(keeping, url));
            QVERIFY2(response.isTransportError() && response.status == 0 && response.body.empty(),
                     url.c_str());
        }
        qunsetenv("http_proxy");
        QCOMPARE(server.requests().size(), std::size_t{7});
        QCOMPARE(server.acceptedConnections(), std::size_t{3});  // a raw reply closes its own
    }

    // JSON posts without "Expect", gets without a body; a refusal says why.
    void requestsCarryExactlyWhatWasAskedFor() {
        test::LoopbackHttpServer server;
        HttpClient client({.timeout = 2s});
        QCOMPARE(outcome(request(client, server.url("/post"), R"({"a":"b c"})")).status, 200L);
        QCOMPARE(outcome(request(client, server.url("/get?x=1"))).status, 200L);
        const auto requests = server.requests();
        QCOMPARE(requests[0].method + " " + requests[0].target, std::string("POST /post"));
        QCOMPARE(requests[0].header("Content-Type").value_or(""),
                 std::string_view("application/json"));
        QCOMPARE(requests[0].body, std::string(R"({"a":"b c"})"));
        QVERIFY(!requests[0].header("Expect"));
        QCOMPARE(requests[1].method + " " + requests[1].target, std::string("GET /get?x=1"));
        QVERIFY(!requests[1].header("Content-Type") && requests[1].body.empty());
        const test::RefusingPort refusing;
        const auto refused = outcome(request(client, loopbackBaseUrl(refusing.port())));
        QVERIFY2(refused.error.find("Connection refused") != std::string::npos,
                 refused.error.c_str());
    }

    // Ten at once into silence: one after another they would take five seconds.
    void aSilentServerFailsEachRequestAtItsLimitAllAtOnce() {
        test::LoopbackHttpServer server;
        server.setReply("/silent", Reply::silence());
        HttpClient client({.timeout = 500ms});
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::future<HttpResponse>> futures;
        futures.reserve(10);
        for (int i = 0; i < 10; ++i) {
            futures.push_back(request(client, server.url("/silent"), "{}"));
        }
        for (auto& future : futures) {
            QVERIFY(outcome(std::move(future)).isTransportError());
            QVERIFY(std::chrono::steady_clock::now() - start >= 450ms);
        }
        QVERIFY(std::chrono::steady_clock::now() - start < 2s);
    }

    // Each reaches the server after the one before was answered, and its limit
    // counts from its turn: each answer fits its own limit, both would not.
    void oneAtATimeSendsInOrderEachAfterThePreviousEnded() {
        test::LoopbackHttpServer server;
        server.setReply("/slow", Reply::answer(200).after(1200ms));
        HttpClient client({.timeout = 2000ms, .oneAtATime = true});
        auto first = request(client, server.url("/slow"), "{}");
        auto second = request(client, server.url("/slow"));
        auto third = request(client, server.url("/fast"));
        for (auto* future : {&first, &second, &third}) {
            const HttpResponse response = outcome(std::move(*future));
            QVERIFY2(response.status == 200, response.error.c_str());
        }
        const auto requests = server.requests();
        QCOMPARE(requests.at(2).target, std::string("/fast"));
        QVERIFY(requests[1].arrival - requests[0].arrival >= 1190ms);
        QVERIFY(requests[2].arrival - requests[1].arrival >= 1190ms);
    }

    void aKeptConnectionThatDiedUnheardIsReplacedOnce_data() {
        QTest::addColumn<Step>("first");
        QTest::addColumn<Step>("second");
        QTest::addColumn<long>("firstStatus");
        QTest::addColumn<long>("secondStatus");
        QTest::addColumn<int>("requestsSeen");
        const Step ok{Act::answer200, {}};
        const std::string okBytes = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";
        const Step garbage{Act::sendAndClose, "This is no HTTP reply.\r\n\r\n"};
        // A status line is no reply: its head must end too.
        const Step cutHead{Act::sendAndClose, "HTTP/1.1 200 OK\r\nContent-Le"};
        const Step cutBody{Act::sendAndClose, "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nab"};
        QTest::newRow("closed between requests")
            << Step{Act::sendAndClose, okBytes} << ok << 200L << 200L << 2;
        // Sent again, once, on a new connection.
        QTest::newRow("kept, closed unanswered") << ok << Step{Act::close, {}} << 200L << 200L << 3;
        QTest::newRow("kept, reset") << ok << Step{Act::reset, {}} << 200L << 200L << 3;
        // Bytes of a reply came, or the connection was new: never sent again.
        QTest::newRow("kept, garbage") << ok << garbage << 200L << 0L << 2;
        QTest::newRow("kept, part of a reply") << ok << cutHead << 200L << 0L << 2;
        QTest::newRow("kept, part of a body") << ok << cutBody << 200L << 0L << 2;
        QTest::newRow("kept, silent") << ok << Step{Act::stall, {}} << 200L << 0L << 2;
        QTest::newRow("new, closed unanswered") << Step{Act::close, {}} << ok << 0L << 200L << 2;
        QTest::newRow("new, reset") << Step{Act::reset, {}} << ok << 0L << 200L << 2;
    }

    // The first two requests on the first connection meet `first` and
    // `second`; everything after is answered.
    void aKeptConnectionThatDiedUnheardIsReplacedOnce() {
        QFETCH(Step, first);
        QFETCH(Step, second);
        QFETCH(long, firstStatus);
        QFETCH(long, secondStatus);
        QFETCH(int, requestsSeen);
        test::ScriptedTcpServer server([&](const test::ScriptedTcpServer::Seen& seen) {
            const bool isFirstConnection = seen.connection == 0;
            return isFirstConnection && seen.onConnection == 0   ? first
                   : isFirstConnection && seen.onConnection == 1 ? second
                                                                 : Step{};
        });
        HttpClient client({.timeout = 500ms});
        const std::string url = loopbackBaseUrl(server.port()) + "/trigger";
        for (const long status : {firstStatus, secondStatus}) {
            const HttpResponse response = outcome(request(client, url, R"({"event":"wave"})"));
            QVERIFY2(response.status == status && response.isTransportError() == (status == 0),
                     (std::to_string(response.status) + " " + response.error).c_str());
        }
        QCOMPARE(server.seen().size(), std::size_t(requestsSeen));
    }

    void destroyingTheClientAbandonsRequestsInFlight() {
        test::LoopbackHttpServer server;
        server.setReply("/silent", Reply::silence());
        std::future<HttpResponse> abandoned;
        {
            HttpClient client({.timeout = 60s});
            abandoned = request(client, server.url("/silent"));
            QTRY_COMPARE(server.requests().size(), std::size_t{1});
        }
        // Its completion went with it, never called.
        QVERIFY_THROWS_EXCEPTION(std::future_error, abandoned.get());
    }
};

QTEST_GUILESS_MAIN(HttpClientTest)
#include "HttpClientTest.moc"
