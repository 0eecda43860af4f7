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
    void decodesTheAnswerStrictly_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("decodes");
        QTest::newRow("complete") << QByteArray(
                                         "{\"success\":true,\"update_available\":true,"
                                         "\"force_update\":false,\"latest_version\":\"2.1.0\","
                                         "\"download_url\":\"https://x.example\","
                                         "\"release_notes\":\"n\",\"extra\":[1]}")
                                  << true;
        QTest::newRow("optionals null or missing")
            << QByteArray(R"({"success":false,"update_available":false,
            "force_update":true,"latest_version":null})")
            << true;
        QTest::newRow("success missing")
            << QByteArray(R"({"update_available":true,"force_update":false})") << false;
        QTest::newRow("force_update missing")
            << QByteArray(R"({"success":true,"update_available":true})") << false;
        QTest::newRow("boolean as number")
            << QByteArray(R"({"success":1,"update_available":true,"force_update":false})") << false;
        QTest::newRow("boolean as text")
            << QByteArray(R"({"success":true,"update_available":"true","force_update":false})")
            << false;
        QTest::newRow("version as number")
            << QByteArray(
                   R"({"success":true,"update_available":true,"force_update":false,"latest_version":2})")
            << false;
        QTest::newRow("not JSON") << QByteArray("<html>502 Bad Gateway</html>") << false;
        QTest::newRow("an array") << QByteArray("[]") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }

    void decodesTheAnswerStrictly() {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        QCOMPARE(UpdateCheckResponse::decode(json.toStdString()).has_value(), decodes);
    }

    void encodingLeavesAbsentValuesOutAndDecodesBack() {
        UpdateCheckResponse response = available();
        response.releaseNotes.reset();
        const std::string text = response.encode();
        QVERIFY(text.find("release_notes") == std::string::npos);
        QVERIFY(
            text.starts_with(R"({"success":true,"update_available":true,"force_update":false,)"));
        QVERIFY(UpdateCheckResponse::decode(text) == response);
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
