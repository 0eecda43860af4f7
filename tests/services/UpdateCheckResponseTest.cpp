#include "services/UpdateCheckResponse.h"

#include <QTest>

using namespace thrumwise;

class UpdateCheckResponseTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decodesEveryKeyIgnoresOthersAndRejectsAnotherShape() {
        const auto response = UpdateCheckResponse::decode(
            R"({"success":true,"update_available":false,"force_update":true,"extra":[1],
                "latest_version":"2.1.0","download_url":"x.example","release_notes":null})");
        QVERIFY(response && response->success && !response->updateAvailable &&
                response->forceUpdate && !response->releaseNotes);
        QCOMPARE(response->latestVersion, std::optional<std::string>("2.1.0"));
        QCOMPARE(response->downloadUrl, std::optional<std::string>("x.example"));
        for (const char* json :
             {R"({"update_available":true,"force_update":false})",
              R"({"success":true,"update_available":true})",
              R"({"success":1,"update_available":true,"force_update":false})",
              R"({"success":true,"update_available":"true","force_update":false})",
              R"({"success":true,"update_available":true,"force_update":false,)"
              R"("latest_version":2})",
              "<html>502 Bad Gateway</html>", "[]"}) {
            QVERIFY2(!UpdateCheckResponse::decode(json), json);
        }
    }
};

QTEST_GUILESS_MAIN(UpdateCheckResponseTest)
#include "UpdateCheckResponseTest.moc"
