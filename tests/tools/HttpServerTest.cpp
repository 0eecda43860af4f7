#include "http/HttpServer.h"

#include <optional>
#include <string>

#include <QTcpSocket>
#include <QTest>

using namespace thrumwise;

namespace {

// A client connection that writes whatever bytes it is given.
class RawConnection {
public:
    explicit RawConnection(std::uint16_t port) {
        socket_.connectToHost(QHostAddress::LocalHost, port);
        socket_.waitForConnected(5000);
    }

    bool isConnected() const { return socket_.state() == QAbstractSocket::ConnectedState; }

    void send(const std::string& bytes) {
        socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
        socket_.waitForBytesWritten(5000);
    }

    // The next whole reply (head and Content-Length body); nullopt if the
    // connection ended first.
    std::optional<std::string> reply() {
        for (;;) {
            const std::size_t headEnd = buffer_.find("\r\n\r\n");
            const std::size_t lengthAt = buffer_.find("Content-Length: ");
            const std::size_t end =
                headEnd + 4 + (lengthAt < headEnd ? std::stoul(buffer_.substr(lengthAt + 16)) : 0);
            if (headEnd != std::string::npos && buffer_.size() >= end) {
                std::string whole = buffer_.substr(0, end);
                buffer_.erase(0, end);
                return whole;
            }
            if (!receive()) {
                return std::nullopt;
            }
        }
    }

    // Whether the server closes the connection without sending more.
    bool isClosedByServer() { return buffer_.empty() && !receive(); }

private:
    bool receive() {
        if (socket_.bytesAvailable() == 0 && !socket_.waitForReadyRead(5000)) {
            return false;
        }
        buffer_ += socket_.readAll().toStdString();
        return true;
    }

    QTcpSocket socket_;
    std::string buffer_;
};

// Answers 200 with the method, target and body it was sent.
HttpServer::Reply echo(const HttpRequest& request) {
    return HttpServer::Reply::answer(200,
                                     request.method + " " + request.target + " " + request.body);
}

HttpServer::Limits smallLimits() {
    HttpServer::Limits limits;
    limits.request.maxHeadBytes = 256;
    limits.request.maxHeaderCount = 8;
    limits.request.maxBodyBytes = 16;
    limits.maxConnections = 2;
    return limits;
}

std::string post(const std::string& target, const std::string& body,
                 const std::string& extraHeaders = {}) {
    return "POST " + target + " HTTP/1.1\r\nHost: x\r\n" + extraHeaders +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string bodyOf(const std::optional<std::string>& reply) {
    return reply ? reply->substr(reply->find("\r\n\r\n") + 4) : "(no reply)";
}

}  // namespace

class HttpServerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keepsConnectionsAndAnswersPipelinedRequestsInOrder() {
        HttpServer server(0, echo, smallLimits());
        RawConnection client(server.port());
        QVERIFY(client.isConnected());
        // Two requests in one write, the second split from its body.
        client.send(post("/a", "first") + post("/b", "second").substr(0, 40));
        client.send(post("/b", "second").substr(40));
        QCOMPARE(bodyOf(client.reply()), std::string("POST /a first"));
        QCOMPARE(bodyOf(client.reply()), std::string("POST /b second"));

        // Byte by byte, on the same connection.
        for (const char byte : "GET /c?q=1 HTTP/1.1\r\nhost: x\r\n\r\n" + std::string()) {
            client.send(std::string(1, byte));
        }
        QCOMPARE(bodyOf(client.reply()), std::string("GET /c?q=1 "));
        QCOMPARE(server.acceptedConnections(), std::size_t{1});
    }

    void closesWhenTheClientAsks() {
        HttpServer server(0, echo, smallLimits());
        RawConnection closing(server.port());
        closing.send(post("/", "", "Connection: keep-alive, close\r\n"));
        QVERIFY(closing.reply().value_or("").find("Connection: close\r\n") != std::string::npos);
        QVERIFY(closing.isClosedByServer());

        RawConnection old(server.port());
        old.send("GET / HTTP/1.0\r\n\r\n");
        QVERIFY(old.reply().has_value());
        QVERIFY(old.isClosedByServer());
    }

    void malformedOrOversizedRequestsAreAnsweredAndClosed_data() {
        QTest::addColumn<std::string>("bytes");
        QTest::addColumn<int>("status");
        const auto row = [](const char* name, const std::string& bytes, int status) {
            QTest::newRow(name) << bytes << status;
        };
        row("no target", "GET HTTP/1.1\r\nHost: x\r\n\r\n", 400);
        row("absolute target", "GET http://a/ HTTP/1.1\r\nHost: x\r\n\r\n", 400);
        row("space in name", "GET / HTTP/1.1\r\nHost : x\r\n\r\n", 400);
        row("folded header", "GET / HTTP/1.1\r\nHost: x\r\n y\r\n\r\n", 400);
        row("no host", "GET / HTTP/1.1\r\n\r\n", 400);
        row("length not a number", post("/", "", "Content-Length: 1x\r\n"), 400);
        row("lengths disagree", post("/", "ab", "Content-Length: 3\r\n"), 400);
        row("length overflows",
            "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 99999999999999999999999\r\n\r\n", 400);
        row("body too large", post("/", std::string(17, 'x')), 413);
        row("head too large", post("/" + std::string(300, 'a'), ""), 431);
        row("unended head too large", std::string(300, 'a'), 431);
        row("too many headers",
            post("/", "", "A: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\nE: 5\r\nF: 6\r\nG: 7\r\n"), 431);
        row("chunked", "POST / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
            501);
        row("version", "GET / HTTP/2.0\r\nHost: x\r\n\r\n", 505);
    }

    void malformedOrOversizedRequestsAreAnsweredAndClosed() {
        QFETCH(std::string, bytes);
        QFETCH(int, status);
        HttpServer server(0, echo, smallLimits());
        RawConnection client(server.port());
        // A good request first: the bad one ends only its own connection's service.
        client.send(post("/ok", "fine") + bytes);
        QCOMPARE(bodyOf(client.reply()), std::string("POST /ok fine"));
        const std::optional<std::string> reply = client.reply();
        QVERIFY(reply.has_value());
        QVERIFY2(reply->starts_with("HTTP/1.1 " + std::to_string(status) + " "), reply->c_str());
        QVERIFY(client.isClosedByServer());
    }

    void connectionsBeyondTheLimitAreClosed() {
        HttpServer server(0, echo, smallLimits());
        RawConnection first(server.port());
        RawConnection second(server.port());
        first.send(post("/1", ""));
        second.send(post("/2", ""));
        QVERIFY(first.reply().has_value());
        QVERIFY(second.reply().has_value());

        RawConnection third(server.port());
        third.send(post("/3", ""));
        QVERIFY(third.isClosedByServer());
        QCOMPARE(server.acceptedConnections(), std::size_t{2});
    }
};

QTEST_GUILESS_MAIN(HttpServerTest)
#include "HttpServerTest.moc"
