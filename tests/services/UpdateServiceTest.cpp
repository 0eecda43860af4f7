#include "services/UpdateAlert.h"
#include "services/UpdateService.h"
#include "support/LoopbackHttpServer.h"

#include <memory>
#include <string>
#include <vector>

#include <QSignalSpy>
#include <QTest>
#include <nlohmann/json.hpp>

using namespace thrumwise;
using Reply = test::LoopbackHttpServer::Reply;

namespace {

constexpr const char* kDownload = "https://thrumwise.example/download";

// Everything the check did to the user and the application, in order:
// "alert", "open <url>", "terminate".
struct Record {
    std::vector<std::string> steps;
    std::vector<UpdateAlert> alerts;
};

// Answers every alert with the button chosen ahead of time.
class RecordingAlerts final : public AlertPresenter {
public:
    explicit RecordingAlerts(Record& record) : record_(record) {}

    int runModal(const UpdateAlert& alert) override {
        record_.steps.emplace_back("alert");
        record_.alerts.push_back(alert);
        return chosenButton;
    }

    int chosenButton = 0;

private:
    Record& record_;
};

// An update service for `endpoint` whose alerts, browser and quitting are recorded.
struct Fixture {
    explicit Fixture(const std::string& endpoint, QString version = QStringLiteral("1.4.2"))
        : alerts(record),
          service(QString::fromStdString(endpoint), std::move(version),
                  UpdateService::Actions{alerts,
                                         [this](const QUrl& url) {
                                             record.steps.push_back("open " +
                                                                    url.toString().toStdString());
                                         },
                                         [this] {
                                             record.steps.emplace_back("terminate");
                                         }}),
          finished(&service, &UpdateService::checkFinished) {}

    // Runs one check to its end; false when it never ended.
    bool check() {
        const int before = static_cast<int>(finished.count());
        service.checkForUpdates();
        return finished.count() > before || finished.wait(5000);
    }

    Record record;
    RecordingAlerts alerts;
    UpdateService service;
    QSignalSpy finished;
};

// An answer offering an update, with `more` keys beside the three booleans.
std::string answer(bool force, nlohmann::json more = nlohmann::json::object()) {
    more["success"] = true;
    more["update_available"] = true;
    more["force_update"] = force;
    return more.dump();
}

std::string available(bool force) {
    return answer(force, {{"latest_version", "2.0.0"},
                          {"download_url", kDownload},
                          {"release_notes", "Faster start-up."}});
}

}  // namespace

class UpdateServiceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void asksOnceWithTheCurrentVersion() {
        test::LoopbackHttpServer endpoint;
        Fixture fixture(endpoint.url(""));

        QVERIFY(fixture.check());

        const auto requests = endpoint.requests();
        QCOMPARE(requests.size(), std::size_t{1});
        QCOMPARE(requests[0].method, std::string("POST"));
        QCOMPARE(requests[0].target, std::string("/check-update"));
        QCOMPARE(requests[0].header("Content-Type").value_or(""),
                 std::string_view("application/json"));
        QCOMPARE(requests[0].body, std::string(R"({"current_version":"1.4.2"})"));
        QVERIFY(fixture.record.steps.empty());
    }

    void anUnknownVersionIsSentAsOneZeroZero() {
        test::LoopbackHttpServer endpoint;
        Fixture fixture(endpoint.url(""), QString());
        QVERIFY(fixture.check());
        QCOMPARE(endpoint.requests().at(0).body, std::string(R"({"current_version":"1.0.0"})"));
    }

    void theEndpointMayCarryAPath() {
        test::LoopbackHttpServer endpoint;
        Fixture withPath(endpoint.url("/api/"));
        QVERIFY(withPath.check());
        QCOMPARE(endpoint.requests().at(0).target, std::string("/api/check-update"));
    }

    void anAvailableUpdateIsOfferedAndUpdateOpensTheDownloadPage() {
        test::LoopbackHttpServer endpoint;
        endpoint.setReply("/check-update", Reply::answer(200, available(false)));
        Fixture fixture(endpoint.url(""));

        QVERIFY(fixture.check());

        QCOMPARE(fixture.record.steps,
                 (std::vector<std::string>{"alert", std::string("open ") + kDownload}));
        const UpdateAlert& alert = fixture.record.alerts.at(0);
        QCOMPARE(alert.title, QStringLiteral("Update Available"));
        QCOMPARE(alert.text, QStringLiteral("Thrumwise 2.0.0 is available.\n\nFaster start-up."));
        QCOMPARE(alert.buttons, (QStringList{QStringLiteral("Update"), QStringLiteral("Later")}));
    }

    void laterOpensNothing() {
        test::LoopbackHttpServer endpoint;
        endpoint.setReply("/check-update", Reply::answer(200, available(false)));
        Fixture fixture(endpoint.url(""));
        fixture.alerts.chosenButton = 1;

        QVERIFY(fixture.check());

        QCOMPARE(fixture.record.steps, std::vector<std::string>{"alert"});
    }

    void aRequiredUpdateQuitsAfterTheAlert_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("steps");
        const QString alert = QStringLiteral("alert");
        const QString terminate = QStringLiteral("terminate");
        QTest::newRow("with a download page")
            << QByteArray::fromStdString(available(true))
            << QStringList{alert, QStringLiteral("open ") + QString::fromUtf8(kDownload),
                           terminate};
        QTest::newRow("without a download page")
            << QByteArray::fromStdString(answer(true)) << QStringList{alert, terminate};
        QTest::newRow("with a download address that is no web page")
            << QByteArray::fromStdString(answer(true, {{"download_url", "file:///etc/passwd"}}))
            << QStringList{alert, terminate};
    }

    void aRequiredUpdateQuitsAfterTheAlert() {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, steps);
        test::LoopbackHttpServer endpoint;
        endpoint.setReply("/check-update", Reply::answer(200, body.toStdString()));
        Fixture fixture(endpoint.url(""));

        QVERIFY(fixture.check());

        QStringList recorded;
        for (const std::string& step : fixture.record.steps) {
            recorded << QString::fromStdString(step);
        }
        QCOMPARE(recorded, steps);
        const UpdateAlert& alert = fixture.record.alerts.at(0);
        QCOMPARE(alert.title, QStringLiteral("Update Required"));
        QCOMPARE(alert.buttons, QStringList{QStringLiteral("Update Now")});
        QVERIFY(alert.text.endsWith(
            QStringLiteral("\n\nThis update is required to continue using Thrumwise.")));
    }

    void aDownloadAddressThatIsNoWebPageOpensNothing() {
        test::LoopbackHttpServer endpoint;
        endpoint.setReply(
            "/check-update",
            Reply::answer(200, answer(false, {{"download_url", "javascript:void(0)"}})));
        Fixture fixture(endpoint.url(""));

        QVERIFY(fixture.check());

        QCOMPARE(fixture.record.steps, std::vector<std::string>{"alert"});
    }

    void aDecodableAnswerCountsWhateverTheStatus() {
        test::LoopbackHttpServer endpoint;
        endpoint.setReply("/check-update", Reply::answer(500, available(false)));
        Fixture fixture(endpoint.url(""));

        QVERIFY(fixture.check());

        QCOMPARE(fixture.record.alerts.size(), std::size_t{1});
    }

    void everyOtherEndIsSilent_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("not JSON") << QByteArray("<html>502 Bad Gateway</html>");
        QTest::newRow("no force_update")
            << QByteArray(R"({"success":true,"update_available":true})");
        QTest::newRow("success false") << QByteArray(
            R"({"success":false,"update_available":true,"force_update":true,"latest_version":"9"})");
        QTest::newRow("no update, yet forced")
            << QByteArray(R"({"success":true,"update_available":false,"force_update":true})");
        // Would be offered, were it not over the 1 MiB an answer may have.
        QTest::newRow("over 1 MiB") << QByteArray::fromStdString(
            answer(false, {{"release_notes", std::string(std::size_t{1024} * 1024, 'x')}}));
    }

    void everyOtherEndIsSilent() {
        QFETCH(QByteArray, body);
        test::LoopbackHttpServer endpoint;
        endpoint.setReply("/check-update", Reply::answer(200, body.toStdString()));
        Fixture fixture(endpoint.url(""));

        QVERIFY(fixture.check());

        QCOMPARE(endpoint.requestCount(), std::size_t{1});
        QVERIFY(fixture.record.steps.empty());
    }

    void anEndpointThatIsNoHttpServerIsSilent() {
        test::LoopbackHttpServer endpoint;
        endpoint.setReply("/check-update", test::LoopbackHttpServer::garbage());
        Fixture fixture(endpoint.url(""));
        QVERIFY(fixture.check());
        QVERIFY(fixture.record.steps.empty());
    }

    void anUnreachableEndpointIsSilent() {
        const test::RefusingPort nothing;
        Fixture fixture("http://localhost:" + std::to_string(nothing.port()));
        QVERIFY(fixture.check());
        QVERIFY(fixture.record.steps.empty());
    }

    void anEndpointThatIsNoAddressIsSilent() {
        Fixture fixture("not an address");
        QVERIFY(fixture.check());
        QVERIFY(fixture.record.steps.empty());
    }

    void theEnvironmentOverridesTheConfiguredEndpoint() {
        const QByteArray name("THRUMWISE_UPDATE_URL");
        const QByteArray saved = qgetenv(name.constData());
        const bool wasSet = qEnvironmentVariableIsSet(name.constData());

        const QString configured = QStringLiteral(THRUMWISE_CONFIGURED_UPDATE_URL);
        qunsetenv(name.constData());
        QCOMPARE(UpdateService::configuredEndpoint(), configured);

        qputenv(name.constData(), "http://127.0.0.1:9/elsewhere");
        QCOMPARE(UpdateService::configuredEndpoint(),
                 QStringLiteral("http://127.0.0.1:9/elsewhere"));
        qputenv(name.constData(), "");
        QCOMPARE(UpdateService::configuredEndpoint(), configured);

        if (wasSet) {
            qputenv(name.constData(), saved);
        } else {
            qunsetenv(name.constData());
        }
    }
};

QTEST_GUILESS_MAIN(UpdateServiceTest)
#include "UpdateServiceTest.moc"
