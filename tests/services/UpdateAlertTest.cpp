#include "services/UpdateAlert.h"
#include "services/UpdateCheckResponse.h"

#include <QTest>

using namespace thrumwise;

namespace {

UpdateCheckResponse available() {
    UpdateCheckResponse response;
    response.success = true;
    response.updateAvailable = true;
    response.latestVersion = "2.1.0";
    response.downloadUrl = "https://thrumwise.example/download";
    response.releaseNotes = "Faster start-up.";
    return response;
}

}  // namespace

class UpdateAlertTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rejectsAnswersOfAnotherShape() {
        for (
            const char* json : {
                R"({"update_available":true,"force_update":false})",
                R"({"success":true,"update_available":true})",
                R"({"success":1,"update_available":true,"force_update":false})",
                R"({"success":true,"update_available":"true","force_update":false})",
                R"({"success":true,"update_available":true,"force_update":false,"latest_version":2})",
                "<html>502 Bad Gateway</html>",
                "[]",
                "",
            }) {
            QVERIFY2(!UpdateCheckResponse::decode(json), json);
        }
    }

    void decodesEveryKeyAndIgnoresOthers() {
        const auto response = UpdateCheckResponse::decode(
            R"({"success":true,"update_available":false,"force_update":true,"extra":[1],
                "latest_version":"2.1.0","download_url":"x.example","release_notes":null})");
        QVERIFY(response);
        QVERIFY(response->success && !response->updateAvailable && response->forceUpdate);
        QCOMPARE(response->latestVersion, std::optional<std::string>("2.1.0"));
        QCOMPARE(response->downloadUrl, std::optional<std::string>("x.example"));
        QVERIFY(!response->releaseNotes);
        QVERIFY(UpdateCheckResponse::decode(
            R"({"success":false,"update_available":false,"force_update":false})"));
    }

    void anAvailableUpdateOffersTwoButtons() {
        const UpdateAlert alert = UpdateAlert::forResponse(available());
        QCOMPARE(alert.title, QStringLiteral("Update Available"));
        QCOMPARE(alert.text, QStringLiteral("Thrumwise 2.1.0 is available.\n\nFaster start-up."));
        QCOMPARE(alert.buttons, (QStringList{QStringLiteral("Update"), QStringLiteral("Later")}));
        QCOMPARE(alert.downloadUrl,
                 std::optional(QUrl(QStringLiteral("https://thrumwise.example/download"))));
        QVERIFY(!alert.quitsAfterwards);
    }

    void missingVersionAndEmptyNotes() {
        UpdateCheckResponse response = available();
        response.latestVersion.reset();
        response.releaseNotes = "";
        QCOMPARE(UpdateAlert::forResponse(response).text,
                 QStringLiteral("Thrumwise latest is available."));
    }

    void aRequiredUpdateInsists() {
        UpdateCheckResponse response = available();
        response.forceUpdate = true;
        response.releaseNotes.reset();
        const UpdateAlert alert = UpdateAlert::forResponse(response);
        QCOMPARE(alert.title, QStringLiteral("Update Required"));
        QCOMPARE(alert.text,
                 QStringLiteral("Thrumwise 2.1.0 is available.\n\n"
                                "This update is required to continue using Thrumwise."));
        QCOMPARE(alert.buttons, QStringList{QStringLiteral("Update Now")});
        QVERIFY(alert.quitsAfterwards);
    }

    void onlyWebAddressesAreOpened_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("kept");
        QTest::newRow("https") << QStringLiteral("https://thrumwise.example/get") << true;
        QTest::newRow("http") << QStringLiteral("HTTP://thrumwise.example/get") << true;
        QTest::newRow("file") << QStringLiteral("file:///home/user/.ssh/id_rsa") << false;
        QTest::newRow("javascript") << QStringLiteral("javascript:alert(1)") << false;
        QTest::newRow("custom scheme") << QStringLiteral("steam://run/42") << false;
        QTest::newRow("no host") << QStringLiteral("https://") << false;
        QTest::newRow("not an address") << QStringLiteral("download here") << false;
        QTest::newRow("empty") << QString() << false;
    }

    void onlyWebAddressesAreOpened() {
        QFETCH(QString, address);
        QFETCH(bool, kept);
        UpdateCheckResponse response = available();
        response.downloadUrl = address.toStdString();
        QCOMPARE(UpdateAlert::forResponse(response).downloadUrl.has_value(), kept);
    }
};

QTEST_GUILESS_MAIN(UpdateAlertTest)
#include "UpdateAlertTest.moc"
