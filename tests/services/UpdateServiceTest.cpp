#include "services/UpdateAlert.h"
#include "services/UpdateService.h"
#include "support/LoopbackHttpServer.h"

#include <string>

#include <QSignalSpy>
#include <QTest>
#include <nlohmann/json.hpp>

using namespace thrumwise;
using Reply = test::LoopbackHttpServer::Reply;
using namespace std::chrono_literals;

namespace {

constexpr const char* kDownload = "https://thrumwise.example/download";

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
// recorded in order: "alert <title>", "open <url>", "terminate".
struct Fixture {
    explicit Fixture(const std::string& endpoint, QString version = QStringLiteral("1.4.2"))
        : alerts(steps),
          service(QString::fromStdString(endpoint), std::move(version),
                  {alerts,
                   [this](const QUrl& url) { steps << QStringLiteral("open ") + url.toString(); },
                   [this] {
                       steps << QStringLiteral("terminate");
                   }}),
          finished(&service, &UpdateService::checkFinished) {}

    // Runs one check to its end; false when it never ended.
    bool check() {
        service.checkForUpdates();
        return !finished.isEmpty() || finished.wait(5000);
    }

    QStringList steps;
    RecordingAlerts alerts;
    UpdateService service;
    QSignalSpy finished;
};

// An answer offering an update, with `more` keys beside the three booleans.
QByteArray answer(bool force, nlohmann::json more = nlohmann::json::object()) {
    more["success"] = true;
    more["update_available"] = true;
    more["force_update"] = force;
    return QByteArray::fromStdString(more.dump());
}

QByteArray available(bool force) {
    return answer(force, {{"latest_version", "2.0.0"}, {"download_url", kDownload}});
}

}  // namespace

class UpdateServiceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void asksOnceWithTheCurrentVersion() {
        test::LoopbackHttpServer endpoint;
        Fixture fixture(endpoint.url(""));
        Fixture unknownVersion(endpoint.url("/api/"), QString());
        QVERIFY(fixture.check());
        QVERIFY(unknownVersion.check());

        const auto requests = endpoint.requests();
        QCOMPARE(requests.size(), std::size_t{2});
        QCOMPARE(requests[0].method + " " + requests[0].target, std::string("POST /check-update"));
        QCOMPARE(requests[0].body, std::string(R"({"current_version":"1.4.2"})"));
        QCOMPARE(requests[1].target, std::string("/api/check-update"));
        QCOMPARE(requests[1].body, std::string(R"({"current_version":"1.0.0"})"));
        QVERIFY(fixture.steps.isEmpty() && unknownVersion.steps.isEmpty());
    }

    void answersLeadToTheseSteps_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("chosenButton");
        QTest::addColumn<QStringList>("steps");
        const QString offered = QStringLiteral("alert Update Available");
        const QString required = QStringLiteral("alert Update Required");
        const QString open = QStringLiteral("open ") + QLatin1String(kDownload);
        const QString terminate = QStringLiteral("terminate");
        QTest::newRow("Update") << 200 << available(false) << 0 << QStringList{offered, open};
        QTest::newRow("Later") << 200 << available(false) << 1 << QStringList{offered};
        QTest::newRow("required") << 200 << available(true) << 0
                                  << QStringList{required, open, terminate};
        QTest::newRow("required, no download page")
            << 200 << answer(true) << 0 << QStringList{required, terminate};
        QTest::newRow("decodable whatever the status")
            << 500 << available(false) << 0 << QStringList{offered, open};
        QTest::newRow("not JSON") << 200 << QByteArray("<html>502 Bad Gateway</html>") << 0
                                  << QStringList();
        QTest::newRow("success false")
            << 200 << QByteArray(R"({"success":false,"update_available":true,"force_update":true})")
            << 0 << QStringList();
        QTest::newRow("no update, yet forced")
            << 200 << QByteArray(R"({"success":true,"update_available":false,"force_update":true})")
            << 0 << QStringList();
        // Would be offered, were it not over the 1 MiB an answer may have.
        QTest::newRow("over 1 MiB")
            << 200 << answer(false, {{"release_notes", std::string(std::size_t{1024} * 1024, 'x')}})
            << 0 << QStringList();
    }

    void answersLeadToTheseSteps() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(int, chosenButton);
        QFETCH(QStringList, steps);
        test::LoopbackHttpServer endpoint;
        endpoint.setReply("/check-update", Reply::answer(status, body.toStdString()));
        Fixture fixture(endpoint.url(""));
        fixture.alerts.chosenButton = chosenButton;

        QVERIFY(fixture.check());

        QCOMPARE(fixture.steps, steps);
    }

    void aSilentEndpointEndsTheCheckQuietlyAfterTenSeconds() {
        test::LoopbackHttpServer endpoint;
        endpoint.setReply("/check-update", Reply::silence());
        Fixture fixture(endpoint.url(""));
        const auto start = std::chrono::steady_clock::now();
        fixture.service.checkForUpdates();
        QVERIFY(fixture.finished.wait(20000));
        QVERIFY(std::chrono::steady_clock::now() - start >= 9500ms);
        QVERIFY(fixture.steps.isEmpty());
    }

    void anUnreachableOrInvalidEndpointEndsSilently() {
        const test::RefusingPort nothing;
        for (const std::string& endpoint :
             {loopbackBaseUrl(nothing.port()), std::string("not an address")}) {
            Fixture fixture(endpoint);
            QVERIFY(fixture.check());
            QVERIFY(fixture.steps.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(UpdateServiceTest)
#include "UpdateServiceTest.moc"
