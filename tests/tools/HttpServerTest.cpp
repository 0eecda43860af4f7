#include "http/HttpServer.h"

#include <arpa/inet.h>
#include <array>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <QTest>

using namespace thrumwise;

namespace {

// A plain blocking client connection that writes whatever bytes it is given.
class RawConnection {
public:
    explicit RawConnection(std::uint16_t port) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
        const timeval limit{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        isConnected_ =
            ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawConnection() { ::close(fd_); }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    bool isConnected() const { return isConnected_; }

    void send(const std::string& bytes) const {
        QCOMPARE(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                 static_cast<ssize_t>(bytes.size()));
    }

    // The next whole reply (head and Content-Length body); nullopt if the
    // connection ended first.
    std::optional<std::string> reply() {
        for (;;) {
            const std::size_t headEnd = buffer_.find("\r\n\r\n");
            if (headEnd != std::string::npos) {
                const std::size_t length = contentLength(buffer_.substr(0, headEnd));
                if (buffer_.size() >= headEnd + 4 + length) {
                    std::string whole = buffer_.substr(0, headEnd + 4 + length);
                    buffer_.erase(0, whole.size());
                    return whole;
                }
            }
            if (!receive()) {
                return std::nullopt;
            }
        }
    }

    // Whether the server closes the connection without sending more.
    bool isClosedByServer() { return buffer_.empty() && !receive(); }

private:
    static std::size_t contentLength(const std::string& head) {
        const std::size_t at = head.find("Content-Length: ");
        return at == std::string::npos ? 0 : std::stoul(head.substr(at + 16));
    }

    bool receive() {
        std::array<char, 4096> chunk{};
        const ssize_t count = ::recv(fd_, chunk.data(), chunk.size(), 0);
        if (count <= 0) {
            return false;
        }
        buffer_.append(chunk.data(), static_cast<std::size_t>(count));
        return true;
    }

    int fd_;
    bool isConnected_ = false;
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
        QTest::newRow("no target") << std::string("GET HTTP/1.1\r\nHost: x\r\n\r\n") << 400;
        QTest::newRow("absolute target")
            << std::string("GET http://a/ HTTP/1.1\r\nHost: x\r\n\r\n") << 400;
        QTest::newRow("space in name") << std::string("GET / HTTP/1.1\r\nHost : x\r\n\r\n") << 400;
        QTest::newRow("folded header")
            << std::string("GET / HTTP/1.1\r\nHost: x\r\n y\r\n\r\n") << 400;
        QTest::newRow("no host") << std::string("GET / HTTP/1.1\r\n\r\n") << 400;
        QTest::newRow("length not a number") << post("/", "", "Content-Length: 1x\r\n") << 400;
        QTest::newRow("lengths disagree") << post("/", "ab", "Content-Length: 3\r\n") << 400;
        QTest::newRow("length overflows")
            << std::string(
                   "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 99999999999999999999999\r\n\r\n")
            << 400;
        QTest::newRow("body too large") << post("/", std::string(17, 'x')) << 413;
        QTest::newRow("head too large") << post("/" + std::string(300, 'a'), "") << 431;
        QTest::newRow("unended head too large") << std::string(300, 'a') << 431;
        QTest::newRow("too many headers")
            << post("/", "", "A: 1\r\nB: 2\r\nC: 3\r\nD: 4\r\nE: 5\r\nF: 6\r\nG: 7\r\nH: 8\r\n")
            << 431;
        QTest::newRow("chunked")
            << std::string(
                   "POST / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n")
            << 501;
        QTest::newRow("version") << std::string("GET / HTTP/2.0\r\nHost: x\r\n\r\n") << 505;
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
