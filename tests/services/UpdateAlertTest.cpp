#include "services/UpdateAlert.h"
#include "services/UpdateCheckResponse.h"

#include <QTest>

using namespace thrumwise;

namespace {

UpdateAlert alertFor(bool force, std::optional<std::string> notes,
                     std::optional<std::string> version = "2.1.0",
                     std::string page = "https://thrumwise.example/download") {
    return UpdateAlert::forResponse({.success = true,
                                     .updateAvailable = true,
                                     .forceUpdate = force,
                                     .latestVersion = std::move(version),
                                     .downloadUrl = std::move(page),
                                     .releaseNotes = std::move(notes)});
}

}  // namespace

class UpdateAlertTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void anAvailableUpdateOffersTwoButtons() {
        const UpdateAlert alert = alertFor(false, "Faster start-up.");
        QCOMPARE(alert.title, QStringLiteral("Update Available"));
        QCOMPARE(alert.text, QStringLiteral("Thrumwise 2.1.0 is available.\n\nFaster start-up."));
        QCOMPARE(alert.buttons, (QStringList{QStringLiteral("Update"), QStringLiteral("Later")}));
        QCOMPARE(alert.downloadUrl,
                 std::optional(QUrl(QStringLiteral("https://thrumwise.example/download"))));
        QVERIFY(!alert.quitsAfterwards);
        QCOMPARE(alertFor(false, "", std::nullopt).text,
                 QStringLiteral("Thrumwise latest is available."));
    }

    void aRequiredUpdateInsists() {
        const UpdateAlert alert = alertFor(true, std::nullopt);
        QCOMPARE(alert.title, QStringLiteral("Update Required"));
        QCOMPARE(alert.text,
                 QStringLiteral("Thrumwise 2.1.0 is available.\n\n"
                                "This update is required to continue using Thrumwise."));
        QCOMPARE(alert.buttons, QStringList{QStringLiteral("Update Now")});
        QVERIFY(alert.quitsAfterwards);
    }

    void onlyWebAddressesAreOpened() {
        QVERIFY(alertFor(false, std::nullopt, "2", "HTTP://thrumwise.example/get").downloadUrl);
        for (const char* address : {"file:///home/user/.ssh/id_rsa", "javascript:alert(1)",
                                    "steam://run/42", "https://", "download here"}) {
            QVERIFY2(!alertFor(false, std::nullopt, "2", address).downloadUrl, address);
        }
    }
};

QTEST_GUILESS_MAIN(UpdateAlertTest)
#include "UpdateAlertTest.moc"
