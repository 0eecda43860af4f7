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
    HttpClient::Completion collector(int tag) {
        return [this, tag](const HttpResponse& response) {
            const std::scoped_lock guard(mutex_);
            outcomes_.push_back({tag, response, Clock::now()});
        };
    }

    struct Outcome {
        int tag;
        HttpResponse response;
        Clock::time_point at;
    };

    std::vector<Outcome> all() const {
        const std::scoped_lock guard(mutex_);
        return outcomes_;
    }
    std::size_t count() const { return all().size(); }
    HttpResponse waitForOne() const {
        const Clock::time_point deadline = Clock::now() + 5s;
        while (count() == 0 && Clock::now() < deadline) {
            QTest::qWait(1);
        }
        return count() == 0 ? HttpResponse{0, "no completion", {}} : all().front().response;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Outcome> outcomes_;
};

long long millisSince(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(end - start).count();
}

}  // namespace

class HttpClientTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void repliesCarryStatusAndKeptBody() {
        test::LoopbackHttpServer server;
        server.setReply("/ok", Reply::answer(200, "hello"));
        server.setReply("/empty", Reply::answer(204));
        server.setReply("/broken", Reply::answer(500, "oops"));
        HttpClient client({.timeout = 2s, .maxBodyBytes = 1024});

        const std::vector<std::pair<std::string, std::pair<long, std::string>>> cases{
            {"/ok", {200, "hello"}}, {"/empty", {204, ""}}, {"/broken", {500, "oops"}}};
        for (const auto& [path, expected] : cases) {
            Outcomes outcomes;
            client.get(server.url(path), outcomes.collector(0));
            const HttpResponse response = outcomes.waitForOne();
            QVERIFY2(!response.isTransportError(), response.error.c_str());
            QCOMPARE(response.status, expected.first);
            QCOMPARE(response.body, expected.second);
        }
    }

    void bodiesAreDiscardedUnlessAskedFor() {
        test::LoopbackHttpServer server;
        server.setReply("/ok", Reply::answer(200, "hello"));
        HttpClient client({.timeout = 2s});
        Outcomes outcomes;
        client.get(server.url("/ok"), outcomes.collector(0));
        const HttpResponse response = outcomes.waitForOne();
        QCOMPARE(response.status, 200L);
        QVERIFY(response.body.empty());
    }

    void requestsCarryExactlyWhatWasAskedFor() {
        test::LoopbackHttpServer server;
        HttpClient client({.timeout = 2s});
        Outcomes outcomes;
        client.postJson(server.url("/post"), R"({"a":"b c"})", outcomes.collector(0));
        QTRY_COMPARE(outcomes.count(), std::size_t{1});
        client.get(server.url("/get?x=1"), outcomes.collector(1));
        QTRY_COMPARE(outcomes.count(), std::size_t{2});

        const auto requests = server.requests();
        QCOMPARE(requests.size(), std::size_t{2});
        QCOMPARE(requests[0].method, std::string("POST"));
        QCOMPARE(requests[0].target, std::string("/post"));
        QCOMPARE(requests[0].header("Content-Type").value_or(""),
                 std::string_view("application/json"));
        QCOMPARE(requests[0].body, std::string(R"({"a":"b c"})"));
        QVERIFY(!requests[0].header("Expect"));
        QCOMPARE(requests[1].method, std::string("GET"));
        QCOMPARE(requests[1].target, std::string("/get?x=1"));
        QVERIFY(requests[1].body.empty());
        QVERIFY(!requests[1].header("Content-Type"));
        QVERIFY(!requests[1].header("Content-Length"));
    }

    void oversizedBodyIsATransportError() {
        test::LoopbackHttpServer server;
        server.setReply("/fits", Reply::answer(200, std::string(16, 'x')));
        server.setReply("/large", Reply::answer(200, std::string(17, 'x')));
        HttpClient client({.timeout = 2s, .maxBodyBytes = 16});

        Outcomes fits;
        client.get(server.url("/fits"), fits.collector(0));
        QCOMPARE(fits.waitForOne().body, std::string(16, 'x'));

        Outcomes large;
        client.get(server.url("/large"), large.collector(0));
        const HttpResponse response = large.waitForOne();
        QVERIFY(response.isTransportError());
        QCOMPARE(response.status, 0L);
        QVERIFY(response.body.empty());
    }

    void nonHttpReplyAndRefusedConnectionAreTransportErrors() {
        test::LoopbackHttpServer server;
        server.setReply("/garbage", test::LoopbackHttpServer::garbage());
        const test::RefusingPort refusing;
        HttpClient client({.timeout = 2s});

        Outcomes garbage;
        client.get(server.url("/garbage"), garbage.collector(0));
        const HttpResponse notHttp = garbage.waitForOne();
        QVERIFY(notHttp.isTransportError());
        QCOMPARE(notHttp.status, 0L);

        Outcomes refused;
        const Clock::time_point start = Clock::now();
        client.postJson("http://localhost:" + std::to_string(refusing.port()) + "/trigger", "{}",
                        refused.collector(0));
        const HttpResponse noServer = refused.waitForOne();
        QVERIFY2(noServer.error.find("Connection refused") != std::string::npos,
                 noServer.error.c_str());
        QCOMPARE(noServer.status, 0L);
        QVERIFY2(millisSince(start, Clock::now()) < 1000, "a refused connection fails at once");
    }

    void connectionIsKeptForTheNextRequest() {
        test::LoopbackHttpServer server;
        HttpClient client({.timeout = 2s});
        Outcomes outcomes;
        for (int i = 0; i < 20; ++i) {
            if (i % 2 == 0) {
                client.postJson(server.url("/trigger"), "{}", outcomes.collector(i));
            } else {
                client.get(server.url("/status"), outcomes.collector(i));
            }
            QTRY_COMPARE(outcomes.count(), std::size_t(i + 1));
        }
        QCOMPARE(server.requestCount(), std::size_t{20});
        QCOMPARE(server.acceptedConnections(), std::size_t{1});
    }

    void silentServerFailsEachRequestAtItsLimitAllAtOnce() {
        test::LoopbackHttpServer server;
        server.setReply("/silent", Reply::silence());
        HttpClient client({.timeout = 500ms});

        Outcomes one;
        const Clock::time_point start = Clock::now();
        client.get(server.url("/silent"), one.collector(0));
        const HttpResponse response = one.waitForOne();
        QVERIFY(response.isTransportError());
        const auto elapsed = millisSince(start, Clock::now());
        QVERIFY2(elapsed >= 450 && elapsed < 2000, std::to_string(elapsed).c_str());

        // Ten at once: one after another they would take five seconds.
        Outcomes ten;
        const Clock::time_point burst = Clock::now();
        for (int i = 0; i < 10; ++i) {
            client.postJson(server.url("/silent"), "{}", ten.collector(i));
        }
        QTRY_COMPARE_WITH_TIMEOUT(ten.count(), std::size_t{10}, 5000);
        for (const auto& outcome : ten.all()) {
            QVERIFY(outcome.response.isTransportError());
            const auto took = millisSince(burst, outcome.at);
            QVERIFY2(took >= 450 && took < 2000, std::to_string(took).c_str());
        }
        QCOMPARE(server.acceptedConnections(), std::size_t{11});
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
        QVERIFY(millisSince(requests[0].arrival, requests[1].arrival) >= 290);
        QVERIFY(requests[1].arrival <= requests[2].arrival);
    }

    void oneAtATimeLimitCountsFromTheRequestsTurn() {
        test::LoopbackHttpServer server;
        // Each answer fits its own limit; both together would not.
        server.setReply("/slow", Reply::answer(200).after(1200ms));
        HttpClient client({.timeout = 2000ms, .oneAtATime = true});
        Outcomes outcomes;
        client.get(server.url("/slow"), outcomes.collector(0));
        client.get(server.url("/slow"), outcomes.collector(1));
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
            client.get(server.url("/silent"), outcomes.collector(0));
            QTRY_COMPARE(server.requestCount(), std::size_t{1});
        }
        QCOMPARE(outcomes.count(), std::size_t{0});
    }
};

QTEST_GUILESS_MAIN(HttpClientTest)
#include "HttpClientTest.moc"
