#include "services/HttpClient.h"
#include "support/LoopbackHttpServer.h"

#include <future>

#include <QTest>

using namespace thrumwise;
using namespace std::chrono_literals;
using Reply = HttpServer::Reply;

namespace {

// A request handed to `client`, a POST when there is a body.
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
    // Redirects are not followed. A body beyond the cap, a reply cut short even in its head,
    // silence beyond the limit and a scheme other than http(s) are transport errors. One connection
    // serves one request after another; a user's proxy never gets loopback requests.
    void repliesCarryTheirStatusAndBodiesOnlyUpToTheCap() {
        test::LoopbackHttpServer server;
        server.setReply("/broken", Reply::answer(500, "oops"));
        server.setReply("/fits", Reply::answer(200, std::string(16, 'x')));
        server.setReply("/large", Reply::answer(200, std::string(17, 'x')));
        server.setReply("/moved", Reply::raw("HTTP/1.1 302 Found\r\nLocation: /fits\r\n"
                                             "Content-Length: 0\r\n\r\n"));
        server.setReply("/cut", Reply::raw("HTTP/1.1 200 OK\r\nContent-Le"));
        server.setReply("/silent", Reply::silence());
        const test::RefusingPort proxy;
        qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(proxy.port()));
        HttpClient keeping({.timeout = 1s, .maxBodyBytes = 16});
        HttpClient discarding({.timeout = 1s});
        for (const auto& [client, path, status, body] :
             std::vector<std::tuple<HttpClient*, std::string, long, std::string>>{
                 {&keeping, "/broken", 500, "oops"},
                 {&keeping, "/fits", 200, std::string(16, 'x')},
                 {&keeping, "/moved", 302, ""},
                 {&discarding, "/fits", 200, ""}}) {
            const HttpResponse response = outcome(request(*client, server.url(path)));
            QVERIFY2(response.status == status && response.body == body, response.error.c_str());
        }
        for (const char* path : {"/large", "/cut", "/silent"}) {
            const HttpResponse response = outcome(request(keeping, server.url(path)));
            QVERIFY2(response.isTransportError() && response.status == 0 && response.body.empty(),
                     path);
        }
        // Refused for its scheme, not for a reply without a head.
        const HttpResponse file = outcome(request(keeping, "file:///etc/hostname"));
        QVERIFY2(file.error.find("file") != std::string::npos, file.error.c_str());
        qunsetenv("http_proxy");
        QCOMPARE(server.requests().size(), std::size_t{7});
        // Raw replies close their connections, and so does a failure.
        QCOMPARE(server.acceptedConnections(), std::size_t{5});
    }

    // JSON posts without "Expect", gets without a body; a refusal says why. Requests still running
    // when the client goes are abandoned, their completions never called.
    void requestsCarryExactlyWhatWasAskedFor() {
        test::LoopbackHttpServer server;
        server.setReply("/silent", Reply::silence());
        std::optional<HttpClient> client(std::in_place, HttpClient::Options{.timeout = 60s});
        QCOMPARE(outcome(request(*client, server.url("/post"), R"({"a":"b c"})")).status, 200L);
        QCOMPARE(outcome(request(*client, server.url("/get?x=1"))).status, 200L);
        const auto requests = server.requests();
        QCOMPARE(requests[0].method + " " + requests[0].target + " " + requests[0].body,
                 std::string(R"(POST /post {"a":"b c"})"));
        QCOMPARE(requests[0].header("Content-Type"),
                 std::optional<std::string_view>("application/json"));
        QVERIFY(!requests[0].header("Expect"));
        QCOMPARE(requests[1].method + " " + requests[1].target, std::string("GET /get?x=1"));
        QVERIFY(!requests[1].header("Content-Type") && requests[1].body.empty());
        const test::RefusingPort refusing;
        const auto refused = outcome(request(*client, loopbackBaseUrl(refusing.port())));
        QVERIFY2(refused.error.find("Connection refused") != std::string::npos,
                 refused.error.c_str());
        std::future<HttpResponse> abandoned = request(*client, server.url("/silent"));
        QTRY_COMPARE(server.requests().size(), std::size_t{3});
        client.reset();
        QVERIFY_THROWS_EXCEPTION(std::future_error, abandoned.get());
    }

    // Answers 1.2 s late all fit a 2 s limit only when each limit counts from the request's own
    // start: all at once, or one after another in turn.
    void eachRequestHasItsWholeLimitAtOnceOrInTurn() {
        test::LoopbackHttpServer server;
        server.setReply("/slow", Reply::answer(200).after(1200ms));
        for (const bool oneAtATime : {false, true}) {
            HttpClient client({.timeout = 2000ms, .oneAtATime = oneAtATime});
            std::vector<std::future<HttpResponse>> futures;
            for (const char* path : {"/slow", "/slow", "/fast"}) {
                futures.push_back(request(client, server.url(path), "{}"));
            }
            for (auto& future : futures) {
                const HttpResponse response = outcome(std::move(future));
                QVERIFY2(response.status == 200, response.error.c_str());
            }
        }
        const auto requests = server.requests();
        QCOMPARE(requests.at(5).target, std::string("/fast"));
        QVERIFY(requests[4].arrival - requests[3].arrival >= 1190ms);
        QVERIFY(requests[5].arrival - requests[4].arrival >= 1190ms);
    }
};

QTEST_GUILESS_MAIN(HttpClientTest)
#include "HttpClientTest.moc"
