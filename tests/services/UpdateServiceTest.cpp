#include "services/UpdateAlert.h"
#include "services/UpdateService.h"
#include "support/LoopbackHttpServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <nlohmann/json.hpp>

using namespace thrumwise;
using namespace Qt::StringLiterals;
using Reply = HttpServer::Reply;

namespace {

// An update service whose alerts (answered with `chosen`), browser and quitting are written down in
// order: "alert <title>", "open <url>", "terminate".
struct Rig : AlertPresenter {
    explicit Rig(const std::string& endpoint, QString version = u"1.4.2"_s)
        : service(QString::fromStdString(endpoint), std::move(version),
                  {*this, [this](const QUrl& url) { steps << u"open "_s + url.toString(); },
                   [this] {
                       steps << u"terminate"_s;
                   }}) {}
    int runModal(const UpdateAlert& alert) override {
        steps << u"alert "_s + alert.title;
        return chosen;
    }
    // Runs one check to its end; false when it never ended.
    bool check(int patienceMs = 5000) {
        QSignalSpy finished(&service, &UpdateService::checkFinished);
        service.checkForUpdates();
        return !finished.isEmpty() || finished.wait(patienceMs);
    }

    QStringList steps;
    int chosen = 0;
    UpdateService service;
};

// An answer with the three flags and a download page (null when `page` is false), padded with
// spaces to `size` bytes.
Reply answer(bool success, bool available, bool force, bool page = true, std::size_t size = 0,
             int status = 200) {
    nlohmann::json body{
        {"success", success}, {"update_available", available}, {"force_update", force}};
    body["download_url"] = page ? nlohmann::json("https://thrumwise.example/get") : nullptr;
    std::string text = body.dump();
    text.resize(std::max(size, text.size()), ' ');
    return Reply::answer(status, std::move(text));
}

}  // namespace

class UpdateServiceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Asks with 1.0.0 when the version is unknown; ends quietly on an address that is none, and
    // after ten seconds of silence.
    void endsQuietlyOnNoAddressAndAfterTenSecondsOfSilence() {
        QVERIFY(Rig("not an address").check());
        test::LoopbackHttpServer endpoint;
        endpoint.setReply("/api/check-update", Reply::silence());
        Rig rig(endpoint.url("/api/"), QString());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(rig.check(20000) && clock.elapsed() >= 9500 && rig.steps.isEmpty());
        QCOMPARE(endpoint.requests().at(0).target + " " + endpoint.requests()[0].body,
                 std::string(R"(/api/check-update {"current_version":"1.0.0"})"));
    }

    // Each check asks once, with the current version.
    void answersLeadToTheseSteps() {
        test::LoopbackHttpServer endpoint;
        const QString offered = u"alert Update Available"_s;
        const QString opened = u", open https://thrumwise.example/get"_s;
        const QString required = u"alert Update Required"_s;
        constexpr std::size_t mebibyte = std::size_t{1024} * 1024;
        for (const auto& [reply, chosen, steps] : std::vector<std::tuple<Reply, int, QString>>{
                 {answer(1, 1, 0), 0, offered + opened},
                 {answer(1, 1, 0), 1, offered},
                 {answer(1, 1, 1), 0, required + opened + u", terminate"_s},
                 {answer(1, 1, 1, false), 0, required + u", terminate"_s},
                 {answer(1, 1, 0, true, 0, 500), 1, offered},  // any status
                 {answer(0, 1, 1), 0, {}},
                 {answer(1, 0, 1), 0, {}},
                 // An answer may have 1 MiB; reading stops at the first byte beyond.
                 {answer(1, 1, 0, true, mebibyte), 1, offered},
                 {answer(1, 1, 0, true, mebibyte + 1), 0, {}}}) {
            endpoint.setReply("/check-update", reply);
            Rig rig(endpoint.url(""));
            rig.chosen = chosen;
            QVERIFY(rig.check());
            QCOMPARE(rig.steps.join(u", "_s), steps);
        }
        const auto requests = endpoint.requests();
        QCOMPARE(requests.size(), std::size_t{9});
        QCOMPARE(requests[0].method + " " + requests[0].target + " " + requests[0].body,
                 std::string(R"(POST /check-update {"current_version":"1.4.2"})"));
    }
};

QTEST_GUILESS_MAIN(UpdateServiceTest)
#include "UpdateServiceTest.moc"
