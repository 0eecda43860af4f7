#include "services/UpdateAlert.h"
#include "services/UpdateService.h"
#include "support/LoopbackHttpServer.h"
#include "support/ManualTimerFactory.h"

#include <QSignalSpy>
#include <QTest>
#include <nlohmann/json.hpp>

using namespace thrumwise;
using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Reply = HttpServer::Reply;

namespace {

// An update service whose alerts (answered with `chosen`), browser and quitting are written down in
// order: "<title> | <text> | <buttons>", "open <url>", "terminate".
struct Rig : AlertPresenter {
    explicit Rig(const std::string& endpoint, int choice = 0, QString version = u"1.4.2"_s)
        : chosen(choice),
          service(QString::fromStdString(endpoint), std::move(version),
                  {*this, [this](const QUrl& url) { steps << u"open "_s + url.toString(); },
                   [this] {
                       steps << u"terminate"_s;
                   }},
                  timers) {}
    int runModal(const UpdateAlert& alert) override {
        steps << QStringList{alert.title, alert.text, alert.buttons.join(u'/')}.join(u" | "_s);
        return chosen;
    }

    QStringList steps;
    int chosen;
    test::ManualTimerFactory timers;
    UpdateService service;
    QSignalSpy finished{&service, &UpdateService::checkFinished};
};

// A successful answer offering 2.1.0 from the download page, with `changes` made to it.
std::string answer(const nlohmann::json& changes = nlohmann::json::object()) {
    auto body =
        nlohmann::json::parse(R"({"success":true,"update_available":true,"force_update":false,
        "latest_version":"2.1.0","download_url":"https://thrumwise.example/get"})");
    body.update(changes);
    return body.dump();
}

}  // namespace

class UpdateServiceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each check asks once, with the current version (1.0.0 when unknown); the status is not
    // looked at. Only web addresses are opened. Without an answer a check ends quietly after ten
    // seconds, and an answer that comes later is ignored.
    void answersLeadToTheseSteps() {
        test::LoopbackHttpServer endpoint;
        const QString offered =
            u"Update Available | Thrumwise 2.1.0 is available. | Update/Later"_s;
        const QString required =
            u"Update Required | Thrumwise 2.1.0 is available.\n\nThis update "
            "is required to continue using Thrumwise. | Update Now"_s;
        const QString opened = u", open https://thrumwise.example/get"_s;
        for (const auto& [body, status, chosen, steps] :
             std::vector<std::tuple<std::string, int, int, QString>>{
                 {answer({{"extra", {1}}}), 200, 0, offered + opened},
                 {answer({{"release_notes", "Faster start-up."}}), 200, 1,
                  u"Update Available | Thrumwise 2.1.0 is available.\n\nFaster start-up. | "
                  "Update/Later"_s},
                 {answer({{"latest_version", nullptr}, {"release_notes", ""}}), 500, 1,
                  u"Update Available | Thrumwise latest is available. | Update/Later"_s},
                 {answer({{"force_update", true}}), 200, 0, required + opened + u", terminate"_s},
                 {answer({{"force_update", true}, {"download_url", nullptr}}), 200, 0,
                  required + u", terminate"_s},
                 {answer({{"download_url", "HTTP://thrumwise.example/get"}}), 200, 0,
                  offered + u", open http://thrumwise.example/get"_s},
                 {answer({{"download_url", "steam://run/42"}}), 200, 0, offered},
                 {answer({{"download_url", "https://"}}), 200, 0, offered},
                 // An answer may have 1 MiB; reading stops at the first byte beyond.
                 {answer() + std::string((1 << 20) - answer().size(), ' '), 200, 1, offered},
                 {answer() + std::string((1 << 20) + 1 - answer().size(), ' '), 200, 0, {}},
                 {answer({{"success", false}, {"force_update", true}}), 200, 0, {}},
                 {answer({{"update_available", false}, {"force_update", true}}), 200, 0, {}},
                 {answer({{"update_available", "true"}}), 200, 0, {}},
                 {answer({{"latest_version", 2}}), 200, 0, {}},
                 {R"({"success":true,"update_available":true})", 200, 0, {}},
                 {"<html>502 Bad Gateway</html>", 502, 0, {}}}) {
            endpoint.setReply("/check-update", Reply::answer(status, body));
            Rig rig(endpoint.url(""), chosen);
            rig.service.checkForUpdates();
            QVERIFY(QTest::qWaitFor([&rig] { return !rig.finished.isEmpty(); }, 5000));
            QCOMPARE(rig.steps.join(u", "_s), steps);
        }
        endpoint.setReply("/check-update", Reply::answer(200, answer()).after(300ms));
        Rig rig(endpoint.url("/"), 0, QString());
        rig.service.checkForUpdates();
        QCOMPARE(rig.timers.last().interval, 10000ms);
        rig.timers.tickAll();
        QTRY_COMPARE(endpoint.requests().size(), std::size_t{17});
        QTest::qWait(600);
        QVERIFY(rig.finished.count() == 1 && rig.steps.isEmpty());
        const auto requests = endpoint.requests();
        QCOMPARE(requests[0].method + " " + requests[0].target + " " + requests[0].body,
                 std::string(R"(POST /check-update {"current_version":"1.4.2"})"));
        QCOMPARE(requests.back().body, std::string(R"({"current_version":"1.0.0"})"));
    }
};

QTEST_GUILESS_MAIN(UpdateServiceTest)
#include "UpdateServiceTest.moc"
