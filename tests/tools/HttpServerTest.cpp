#include "http/HttpServer.h"

#include <regex>

#include <QTcpSocket>
#include <QTest>

using namespace thrumwise;

namespace {

// All the server sends on one connection that writes `parts` one after another, up to its closing
// the connection; "<open>" ends it when it stays open.
std::string exchange(std::uint16_t port, const std::vector<std::string>& parts) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    for (const std::string& part : parts) {
        socket.write(part.data(), static_cast<qint64>(part.size()));
        socket.waitForBytesWritten(5000);
    }
    while (socket.waitForReadyRead(2000)) {
    }
    return socket.readAll().toStdString() +
           (socket.state() == QAbstractSocket::ConnectedState ? "<open>" : "");
}

std::string post(const std::string& target, const std::string& body,
                 const std::string& extraHeaders = {}) {
    return "POST " + target + " HTTP/1.1\r\nHost: x\r\n" + extraHeaders +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace

class HttpServerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Requests in one write, split anywhere or sent byte by byte are answered in order on one
    // connection, until the client asks to close it. After a good request, each bad one is
    // answered and ends its own connection's service. Connections beyond two are closed at once.
    void answersInOrderUntilAskedToCloseOrABadRequestOnAtMostTwoConnections() {
        const auto echo = [](const HttpRequest& r) {
            return HttpServer::Reply::answer(200, r.method + " " + r.target + " " + r.body);
        };
        HttpServer server(0, echo,
                          {{.maxHeadBytes = 256, .maxHeaderCount = 8, .maxBodyBytes = 16}, 2});
        const std::string second = post("/b", "second");
        std::vector<std::string> parts{post("/a", "first") + second.substr(0, 40),
                                       second.substr(40)};
        for (const char byte : std::string(
                 "GET /c?q=1 HTTP/1.1\r\nhost: x\r\nConnection: keep-alive, close\r\n\r\n")) {
            parts.emplace_back(1, byte);
        }
        const std::string inOrder = exchange(server.port(), parts);
        const std::regex answeredInOrder(
            "^HTTP/1.1 200 [^]*POST /a firstHTTP/1.1 200 [^]*POST /b second"
            "HTTP/1.1 200 [^]*Connection: close\r\n\r\nGET /c\\?q=1 $");
        QVERIFY2(std::regex_search(inOrder, answeredInOrder), inOrder.c_str());
        QCOMPARE(server.acceptedConnections(), std::size_t{1});
        for (const auto& [bytes, status] : std::vector<std::pair<std::string, int>>{
                 {"GET / HTTP/1.0\r\n\r\n", 200},  // fine, but not kept open
                 {"GET http://a/ HTTP/1.1\r\nHost: x\r\n\r\n", 400},
                 {"GET / HTTP/1.1\r\n\r\n", 400},
                 {post("/", "ab", "Content-Length: 3\r\n"), 400},
                 {post("/", "", "Content-Length: 99999999999999999999999\r\n"), 400},
                 {post("/", std::string(17, 'x')), 413},
                 {post("/" + std::string(300, 'a'), ""), 431},
                 {post("/", "", "A: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\nE: 5\r\nF: 6\r\nG: 7\r\n"), 431},
                 {"POST / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 501},
                 {"GET / HTTP/2.0\r\nHost: x\r\n\r\n", 505}}) {
            const std::string replies = exchange(server.port(), {post("/ok", "fine") + bytes});
            const std::string expected = "POST /ok fineHTTP/1.1 " + std::to_string(status) + " ";
            QVERIFY2(replies.find(expected) != std::string::npos && !replies.ends_with("<open>"),
                     (bytes + " -> " + replies).c_str());
        }
        QTcpSocket idle, alsoIdle;
        idle.connectToHost(QHostAddress::LocalHost, server.port());
        alsoIdle.connectToHost(QHostAddress::LocalHost, server.port());
        QTRY_COMPARE(server.acceptedConnections(), std::size_t{13});
        QCOMPARE(exchange(server.port(), {post("/3", "")}), std::string());
        QCOMPARE(server.acceptedConnections(), std::size_t{13});
    }
};

QTEST_GUILESS_MAIN(HttpServerTest)
#include "HttpServerTest.moc"
