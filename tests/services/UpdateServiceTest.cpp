#include "services/UpdateAlert.h"
#include "services/UpdateService.h"
#include "support/LoopbackHttpServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <nlohmann/json.hpp>

using namespace thrumwise;
using Reply = test::LoopbackHttpServer::Reply;

namespace {

// Answers every alert with the button chosen ahead of time, and notes it.
class RecordingAlerts final : public AlertPresenter {
public:
    explicit RecordingAlerts(QStringList& steps) : steps_(steps) {}
    int runModal(const UpdateAlert& alert) override {
        steps_ << QStringLiteral("alert ") + alert.title;
        return chosenButton;
    }
    int chosenButton = 0;

private:
    QStringList& steps_;
};

// An update service for `endpoint` whose alerts, browser and quitting are
// written down in order: "alert <title>", "open <url>", "terminate".
struct Rig {
    explicit Rig(const std::string& endpoint, QString version = QStringLiteral("1.4.2"))
        : service(QString::fromStdString(endpoint), std::move(version),
                  {alerts,
                   [this](const QUrl& url) { steps << QStringLiteral("open ") + url.toString(); },
                   [this] {
                       steps << QStringLiteral("terminate");
                   }}) {}

    // Runs one check to its end; false when it never ended.
    bool check(int patienceMs = 5000) {
        QSignalSpy finished(&service, &UpdateService::checkFinished);
        service.checkForUpdates();
        return !finished.isEmpty() || finished.wait(patienceMs);
    }

    QStringList steps;
    RecordingAlerts alerts{steps};
    UpdateService service;
};

// An answer with the three flags and `more` beside them, padded with
// whitespace to `size` bytes when that is more.
Reply answer(bool success, bool available, bool force,
             nlohmann::json more = {{"download_url", "https://thrumwise.example/get"}},
             std::size_t size = 0) {
    more["success"] = success;
    more["update_available"] = available;
    more["force_update"] = force;
    std::string body = more.dump();
    body.resize(std::max(size, body.size()), ' ');
    return Reply::answer(200, std::move(body));
}

}  // namespace

Q_DECLARE_METATYPE(thrumwise::test::LoopbackHttpServer::Reply)

class UpdateServiceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void asksOnceWithTheCurrentVersion() {
        test::LoopbackHttpServer endpoint;
        Rig known(endpoint.url(""));
        Rig unknown(endpoint.url("/api/"), QString());
        QVERIFY(known.check() && unknown.check());
        const auto requests = endpoint.requests();
        QCOMPARE(requests.size(), std::size_t{2});
        QCOMPARE(requests[0].method + " " + requests[0].target, std::string("POST /check-update"));
        QCOMPARE(requests[0].body, std::string(R"({"current_version":"1.4.2"})"));
        QCOMPARE(requests[1].target, std::string("/api/check-update"));
        QCOMPARE(requests[1].body, std::string(R"({"current_version":"1.0.0"})"));
        QVERIFY(known.steps.isEmpty() && unknown.steps.isEmpty());
    }

    void answersLeadToTheseSteps_data() {
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<int>("chosenButton");
        QTest::addColumn<QString>("steps");
        const auto update = answer(true, true, false);
        QTest::newRow("Update") << update << 0
                                << "alert Update Available, open https://thrumwise.example/get";
        QTest::newRow("Later") << update << 1 << "alert Update Available";
        QTest::newRow("required") << answer(true, true, true) << 0
                                  << "alert Update Required, open https://thrumwise.example/get, "
                                     "terminate";
        QTest::newRow("required, no page") << answer(true, true, true, nlohmann::json::object())
                                           << 0 << "alert Update Required, terminate";
        Reply failed = update;
        failed.status = 500;
        QTest::newRow("any status") << failed << 1 << "alert Update Available";
        QTest::newRow("success false") << answer(false, true, true) << 0 << "";
        QTest::newRow("no update, yet forced") << answer(true, false, true) << 0 << "";
        // An answer may have 1 MiB; reading stops at the first byte beyond.
        constexpr std::size_t mebibyte = std::size_t{1024} * 1024;
        const nlohmann::json page{{"download_url", "https://thrumwise.example/get"}};
        QTest::newRow("1 MiB") << answer(true, true, false, page, mebibyte) << 1
                               << "alert Update Available";
        QTest::newRow("over 1 MiB") << answer(true, true, false, page, mebibyte + 1) << 0 << "";
        QTest::newRow("HTML") << Reply::answer(200, "<html>502 Bad Gateway</html>", "text/html")
                              << 0 << "";
        QTest::newRow("not HTTP") << test::LoopbackHttpServer::garbage() << 0 << "";
        // Not followed: it would lead back here for ever.
        QTest::newRow("redirect loop")
            << Reply::raw(
                   "HTTP/1.1 307 Temporary Redirect\r\nLocation: /check-update\r\n"
                   "Content-Length: 0\r\n\r\n")
            << 0 << "";
    }

    // Each check asks once, whatever the answer.
    void answersLeadToTheseSteps() {
        QFETCH(Reply, reply);
        QFETCH(int, chosenButton);
        QFETCH(QString, steps);
        test::LoopbackHttpServer endpoint;
        endpoint.setReply("/check-update", reply);
        Rig rig(endpoint.url(""));
        rig.alerts.chosenButton = chosenButton;
        QVERIFY(rig.check());
        QCOMPARE(rig.steps.join(QStringLiteral(", ")), steps);
        QCOMPARE(endpoint.requests().size(), std::size_t{1});
    }

    // Silent on an address that is none, and after ten seconds of silence.
    void aSilentOrInvalidEndpointEndsQuietly() {
        QVERIFY(Rig("not an address").check());
        test::LoopbackHttpServer endpoint;
        endpoint.setReply("/check-update", Reply::silence());
        Rig rig(endpoint.url(""));
        QElapsedTimer clock;
        clock.start();
        QVERIFY(rig.check(20000));
        QVERIFY(clock.elapsed() >= 9500);
        QVERIFY(rig.steps.isEmpty());
    }
};

QTEST_GUILESS_MAIN(UpdateServiceTest)
#include "UpdateServiceTest.moc"
