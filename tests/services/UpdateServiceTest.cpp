#include "services/UpdateAlert.h"
#include "services/UpdateService.h"
#include "support/LoopbackHttpServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <nlohmann/json.hpp>

using namespace thrumwise;
using Reply = HttpServer::Reply;

Q_DECLARE_METATYPE(thrumwise::HttpServer::Reply)

namespace {

// An update service for `endpoint` whose alerts (answered with `chosenButton`),
// browser and quitting are written down in order: "alert <title>", "open
// <url>", "terminate".
struct Rig : AlertPresenter {
    explicit Rig(const std::string& endpoint, QString version = QStringLiteral("1.4.2"))
        : service(QString::fromStdString(endpoint), std::move(version),
                  {*this,
                   [this](const QUrl& url) { steps << QStringLiteral("open ") + url.toString(); },
                   [this] {
                       steps << QStringLiteral("terminate");
                   }}) {}
    int runModal(const UpdateAlert& alert) override {
        steps << QStringLiteral("alert ") + alert.title;
        return chosenButton;
    }
    // Runs one check to its end; false when it never ended.
    bool check(int patienceMs = 5000) {
        QSignalSpy finished(&service, &UpdateService::checkFinished);
        service.checkForUpdates();
        return !finished.isEmpty() || finished.wait(patienceMs);
    }

    QStringList steps;
    int chosenButton = 0;
    UpdateService service;
};

// An answer with the three flags and a download page, padded with spaces to `size` bytes.
Reply answer(bool success, bool available, bool force, bool hasPage = true, std::size_t size = 0) {
    nlohmann::json body{
        {"success", success}, {"update_available", available}, {"force_update", force}};
    if (hasPage) {
        body["download_url"] = "https://thrumwise.example/get";
    }
    std::string text = body.dump();
    text.resize(std::max(size, text.size()), ' ');
    return Reply::answer(200, std::move(text));
}

}  // namespace

class UpdateServiceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Asks once with the current version (1.0.0 when unknown); ends quietly on
    // an address that is none, and after ten seconds of silence.
    void asksOnceWithTheCurrentVersionAndEndsQuietly() {
        QVERIFY(Rig("not an address").check());
        test::LoopbackHttpServer endpoint;
        endpoint.setReply("/api/check-update", Reply::silence());
        Rig known(endpoint.url(""));
        QVERIFY(known.check());
        Rig unknown(endpoint.url("/api/"), QString());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(unknown.check(20000));
        QVERIFY(clock.elapsed() >= 9500);
        const auto requests = endpoint.requests();
        QCOMPARE(requests.size(), std::size_t{2});
        QCOMPARE(requests[0].method + " " + requests[0].target + " " + requests[0].body,
                 std::string(R"(POST /check-update {"current_version":"1.4.2"})"));
        QCOMPARE(requests[1].target + " " + requests[1].body,
                 std::string(R"(/api/check-update {"current_version":"1.0.0"})"));
        QVERIFY(known.steps.isEmpty() && unknown.steps.isEmpty());
    }

    void answersLeadToTheseSteps_data() {
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<int>("chosenButton");
        QTest::addColumn<QString>("steps");
        const QString offered = QStringLiteral("alert Update Available");
        const QString opened = QStringLiteral(", open https://thrumwise.example/get");
        QTest::newRow("Update") << answer(true, true, false) << 0 << offered + opened;
        QTest::newRow("Later") << answer(true, true, false) << 1 << offered;
        QTest::newRow("required") << answer(true, true, true) << 0
                                  << QStringLiteral("alert Update Required") + opened +
                                         QStringLiteral(", terminate");
        QTest::newRow("required, no page") << answer(true, true, true, false) << 0
                                           << QStringLiteral("alert Update Required, terminate");
        Reply failed = answer(true, true, false);
        failed.status = 500;
        QTest::newRow("any status") << failed << 1 << offered;
        QTest::newRow("success false") << answer(false, true, true) << 0 << QString();
        QTest::newRow("no update, yet forced") << answer(true, false, true) << 0 << QString();
        // An answer may have 1 MiB; reading stops at the first byte beyond.
        constexpr std::size_t mebibyte = std::size_t{1024} * 1024;
        QTest::newRow("1 MiB") << answer(true, true, false, true, mebibyte) << 1 << offered;
        QTest::newRow("over 1 MiB")
            << answer(true, true, false, true, mebibyte + 1) << 0 << QString();
    }

    void answersLeadToTheseSteps() {
        QFETCH(Reply, reply);
        QFETCH(int, chosenButton);
        QFETCH(QString, steps);
        test::LoopbackHttpServer endpoint;
        endpoint.setReply("/check-update", reply);
        Rig rig(endpoint.url(""));
        rig.chosenButton = chosenButton;
        QVERIFY(rig.check());
        QCOMPARE(rig.steps.join(QStringLiteral(", ")), steps);
    }
};

QTEST_GUILESS_MAIN(UpdateServiceTest)
#include "UpdateServiceTest.moc"
