#include "services/HttpClient.h"
#include "support/LoopbackHttpServer.h"

#include <chrono>
#include <mutex>
#include <vector>

#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Reply = test::LoopbackHttpServer::Reply;

namespace {

// Collects completions from the worker thread, each with the time it came.
class Outcomes {
public:
    struct Outcome {
        int tag;
        HttpResponse response;
        Clock::time_point at;
    };

    HttpClient::Completion collector(int tag = 0) {
        return [this, tag](const HttpResponse& response) {
            const std::scoped_lock guard(mutex_);
            outcomes_.push_back({tag, response, Clock::now()});
        };
    }

    std::vector<Outcome> all() const {
        const std::scoped_lock guard(mutex_);
        return outcomes_;
    }
    std::size_t count() const { return all().size(); }

private:
    mutable std::mutex mutex_;
    std::vector<Outcome> outcomes_;
};

// One GET and its outcome; a transport error "no completion" when none came.
HttpResponse get(HttpClient& client, const std::string& url) {
    Outcomes outcomes;
    client.get(url, outcomes.collector());
    if (!QTest::qWaitFor([&] { return outcomes.count() > 0; }, 5000)) {
        return {0, "no completion", {}};
    }
    return outcomes.all().front().response;
}

long long millisBetween(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(end - start).count();
}

}  // namespace

class HttpClientTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void repliesCarryTheirStatusAndBodiesOnlyUpToTheCap() {
        test::LoopbackHttpServer server;
        server.setReply("/ok", Reply::answer(200, "hello"));
        server.setReply("/empty", Reply::answer(204));
        server.setReply("/broken", Reply::answer(500, "oops"));
        server.setReply("/fits", Reply::answer(200, std::string(16, 'x')));
        server.setReply("/large", Reply::answer(200, std::string(17, 'x')));
        server.setReply("/garbage", test::LoopbackHttpServer::garbage());
        server.setReply("/moved", Reply::raw("HTTP/1.1 302 Found\r\nLocation: /ok\r\n"
                                             "Content-Length: 0\r\n\r\n"));
        HttpClient keeping({.timeout = 2s, .maxBodyBytes = 16});
        HttpClient discarding({.timeout = 2s});

        struct Case {
            HttpClient& client;
            std::string path;
            long status;
            std::string body;
        };
        for (const Case& expected : std::vector<Case>{{keeping, "/ok", 200, "hello"},
                                                      {keeping, "/empty", 204, ""},
                                                      {keeping, "/broken", 500, "oops"},
                                                      {keeping, "/fits", 200, std::string(16, 'x')},
                                                      {keeping, "/moved", 302, ""},
                                                      {discarding, "/ok", 200, ""}}) {
            const HttpResponse response = get(expected.client, server.url(expected.path));
            QVERIFY2(!response.isTransportError(), response.error.c_str());
            QCOMPARE(response.status, expected.status);
            QCOMPARE(response.body, expected.body);
        }
        for (const std::string& url :
             {server.url("/large"), server.url("/garbage"), std::string("file:///etc/hostname")}) {
            const HttpResponse response = get(keeping, url);
            QVERIFY2(response.isTransportError() && response.status == 0 && response.body.empty(),
                     url.c_str());
        }
    }

    void requestsCarryExactlyWhatWasAskedFor() {
        test::LoopbackHttpServer server;
        HttpClient client({.timeout = 2s});
        Outcomes outcomes;
        client.postJson(server.url("/post"), R"({"a":"b c"})", outcomes.collector());
        QTRY_COMPARE(outcomes.count(), std::size_t{1});
        client.get(server.url("/get?x=1"), outcomes.collector());
        QTRY_COMPARE(outcomes.count(), std::size_t{2});

        const auto requests = server.requests();
        QCOMPARE(requests.size(), std::size_t{2});
        QCOMPARE(requests[0].method + " " + requests[0].target, std::string("POST /post"));
        QCOMPARE(requests[0].header("Content-Type").value_or(""),
                 std::string_view("application/json"));
        QCOMPARE(requests[0].body, std::string(R"({"a":"b c"})"));
        QVERIFY(!requests[0].header("Expect"));
        QCOMPARE(requests[1].method + " " + requests[1].target, std::string("GET /get?x=1"));
        QVERIFY(requests[1].body.empty());
        QVERIFY(!requests[1].header("Content-Type") && !requests[1].header("Content-Length"));
    }

    void aRefusedConnectionFailsAtOnce() {
        const test::RefusingPort refusing;
        HttpClient client({.timeout = 2s});
        const Clock::time_point start = Clock::now();
        const HttpResponse response = get(client, loopbackBaseUrl(refusing.port()) + "/status");
        QVERIFY2(response.error.find("Connection refused") != std::string::npos,
                 response.error.c_str());
        QCOMPARE(response.status, 0L);
        QVERIFY(millisBetween(start, Clock::now()) < 1000);
    }

    // A user's proxy settings never route a loopback request elsewhere.
    void loopbackIsNeverReachedThroughAProxy() {
        test::LoopbackHttpServer server;
        const test::RefusingPort proxy;
        HttpClient client({.timeout = 2s});
        qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(proxy.port()));
        const HttpResponse response = get(client, server.url("/status"));
        qunsetenv("http_proxy");
        QVERIFY2(response.status == 200, response.error.c_str());
    }

    void theConnectionIsKeptForTheNextRequest() {
        test::LoopbackHttpServer server;
        HttpClient client({.timeout = 2s});
        Outcomes outcomes;
        for (int i = 0; i < 20; ++i) {
            if (i % 2 == 0) {
                client.postJson(server.url("/trigger"), "{}", outcomes.collector());
            } else {
                client.get(server.url("/status"), outcomes.collector());
            }
            QTRY_COMPARE(outcomes.count(), std::size_t(i + 1));
        }
        QCOMPARE(server.requestCount(), std::size_t{20});
        QCOMPARE(server.acceptedConnections(), std::size_t{1});
    }

    // Ten at once into silence: one after another they would take five seconds.
    void aSilentServerFailsEachRequestAtItsLimitAllAtOnce() {
        test::LoopbackHttpServer server;
        server.setReply("/silent", Reply::silence());
        HttpClient client({.timeout = 500ms});
        Outcomes outcomes;
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < 10; ++i) {
            client.postJson(server.url("/silent"), "{}", outcomes.collector(i));
        }
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.count(), std::size_t{10}, 5000);
        for (const auto& outcome : outcomes.all()) {
            QVERIFY(outcome.response.isTransportError());
            const auto took = millisBetween(start, outcome.at);
            QVERIFY2(took >= 450 && took < 2000, std::to_string(took).c_str());
        }
        QCOMPARE(server.acceptedConnections(), std::size_t{10});
    }

    void oneAtATimeSendsInOrderEachAfterThePreviousEnded() {
        test::LoopbackHttpServer server;
        server.setReply("/slow", Reply::answer(200).after(300ms));
        HttpClient client({.timeout = 2s, .oneAtATime = true});
        Outcomes outcomes;
        client.postJson(server.url("/slow"), "{}", outcomes.collector(0));
        client.postJson(server.url("/fast"), "{}", outcomes.collector(1));
        client.get(server.url("/fast"), outcomes.collector(2));
        QTRY_COMPARE(outcomes.count(), std::size_t{3});

        const auto all = outcomes.all();
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(all[i].tag, i);
            QCOMPARE(all[i].response.status, 200L);
        }
        const auto requests = server.requests();
        QCOMPARE(requests.size(), std::size_t{3});
        QCOMPARE(requests[0].target, std::string("/slow"));
        QCOMPARE(requests[1].method, std::string("POST"));
        QCOMPARE(requests[2].method, std::string("GET"));
        // The second reached the server only after the first was answered.
        QVERIFY(millisBetween(requests[0].arrival, requests[1].arrival) >= 290);
        QVERIFY(requests[1].arrival <= requests[2].arrival);
    }

    // Each answer fits its own limit; both together would not.
    void oneAtATimeLimitCountsFromTheRequestsTurn() {
        test::LoopbackHttpServer server;
        server.setReply("/slow", Reply::answer(200).after(1200ms));
        HttpClient client({.timeout = 2000ms, .oneAtATime = true});
        Outcomes outcomes;
        client.get(server.url("/slow"), outcomes.collector());
        client.get(server.url("/slow"), outcomes.collector());
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.count(), std::size_t{2}, 5000);
        for (const auto& outcome : outcomes.all()) {
            QVERIFY2(!outcome.response.isTransportError(), outcome.response.error.c_str());
        }
    }

    void destroyingTheClientAbandonsRequestsInFlight() {
        test::LoopbackHttpServer server;
        server.setReply("/silent", Reply::silence());
        Outcomes outcomes;
        {
            HttpClient client({.timeout = 60s});
            client.get(server.url("/silent"), outcomes.collector());
            QTRY_COMPARE(server.requestCount(), std::size_t{1});
        }
        QCOMPARE(outcomes.count(), std::size_t{0});
    }
};

QTEST_GUILESS_MAIN(HttpClientTest)
#include "HttpClientTest.moc"
