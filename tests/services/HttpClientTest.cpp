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
    // Redirects are not followed. A body beyond the cap, a reply cut short even in its head and a
    // scheme other than http(s) are transport errors; a refusal says why. One connection serves one
    // request after another; a user's proxy never gets loopback requests. JSON posts go without
    // "Expect", gets without a body. Requests running when the client goes are abandoned.
    void requestsCarryWhatWasAskedForAndRepliesOnlyUpToTheCap() {
        test::LoopbackHttpServer server;
        server.setReply("/fits", Reply::answer(200, std::string(16, 'x')));
        server.setReply("/large", Reply::answer(200, std::string(17, 'x')));
        server.setReply("/moved", Reply::raw("HTTP/1.1 302 Found\r\nLocation: /fits\r\n"
                                             "Content-Length: 0\r\n\r\n"));
        server.setReply("/cut", Reply::raw("HTTP/1.1 200 OK\r\nContent-Le"));
        server.setReply("/silent", Reply::silence());
        const test::RefusingPort refusing;
        qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(refusing.port()));
        HttpClient keeping({.timeout = 1s, .maxBodyBytes = 16});
        std::optional<HttpClient> discarding(std::in_place, HttpClient::Options{.timeout = 60s});
        for (const auto& [client, path, body, status, replied] :
             std::vector<std::tuple<HttpClient*, std::string, std::optional<std::string>, long,
                                    std::string>>{
                 {&keeping, "/fits", {}, 200, std::string(16, 'x')},
                 {&keeping, "/moved", {}, 302, ""},
                 {&*discarding, "/fits", {}, 200, ""},
                 {&keeping, "/large", {}, 0, ""},
                 {&keeping, "/cut", {}, 0, ""},
                 {&keeping, "/post", R"({"a":"b c"})", 200, ""},
                 {&keeping, "/get?x=1", {}, 200, ""}}) {
            const HttpResponse response = outcome(request(*client, server.url(path), body));
            QVERIFY2(response.status == status && response.body == replied &&
                         response.isTransportError() == (status == 0),
                     path.c_str());
        }
        // Refused for its scheme, not for a reply without a head.
        const HttpResponse file = outcome(request(keeping, "file:///etc/hostname"));
        QVERIFY2(file.error.find("file") != std::string::npos, file.error.c_str());
        const auto refused = outcome(request(keeping, loopbackBaseUrl(refusing.port())));
        QVERIFY2(refused.error.find("Connection refused") != std::string::npos,
                 refused.error.c_str());
        qunsetenv("http_proxy");
        const auto requests = server.requests();
        QCOMPARE(requests.size(), std::size_t{7});
        QCOMPARE(server.acceptedConnections(), std::size_t{5});  // raw replies and failures close
        const HttpRequest &post = requests[5], &get = requests[6];
        QCOMPARE(post.method + " " + post.body + " " +
                     std::string(post.header("Content-Type").value_or("")),
                 std::string(R"(POST {"a":"b c"} application/json)"));
        QVERIFY(!post.header("Expect") && get.method == "GET" && get.target == "/get?x=1" &&
                get.body.empty() && !get.header("Content-Type"));
        std::future<HttpResponse> abandoned = request(*discarding, server.url("/silent"));
        QTRY_COMPARE(server.requests().size(), std::size_t{8});
        discarding.reset();
        QVERIFY_THROWS_EXCEPTION(std::future_error, abandoned.get());
    }
};

QTEST_GUILESS_MAIN(HttpClientTest)
#include "HttpClientTest.moc"
