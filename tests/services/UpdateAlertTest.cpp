#include "services/UpdateAlert.h"
#include "services/UpdateCheckResponse.h"

#include <QTest>

using namespace thrumwise;

namespace {

UpdateCheckResponse available(bool force, std::optional<std::string> notes) {
    return {.success = true,
            .updateAvailable = true,
            .forceUpdate = force,
            .latestVersion = "2.1.0",
            .downloadUrl = "https://thrumwise.example/download",
            .releaseNotes = std::move(notes)};
}

}  // namespace

class UpdateAlertTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void anAvailableUpdateOffersTwoButtons() {
        const UpdateAlert alert = UpdateAlert::forResponse(available(false, "Faster start-up."));
        QCOMPARE(alert.title, QStringLiteral("Update Available"));
        QCOMPARE(alert.text, QStringLiteral("Thrumwise 2.1.0 is available.\n\nFaster start-up."));
        QCOMPARE(alert.buttons, (QStringList{QStringLiteral("Update"), QStringLiteral("Later")}));
        QCOMPARE(alert.downloadUrl,
                 std::optional(QUrl(QStringLiteral("https://thrumwise.example/download"))));
        QVERIFY(!alert.quitsAfterwards);
        UpdateCheckResponse unnamed = available(false, "");
        unnamed.latestVersion.reset();
        QCOMPARE(UpdateAlert::forResponse(unnamed).text,
                 QStringLiteral("Thrumwise latest is available."));
    }

    void aRequiredUpdateInsists() {
        const UpdateAlert alert = UpdateAlert::forResponse(available(true, std::nullopt));
        QCOMPARE(alert.title, QStringLiteral("Update Required"));
        QCOMPARE(alert.text,
                 QStringLiteral("Thrumwise 2.1.0 is available.\n\n"
                                "This update is required to continue using Thrumwise."));
        QCOMPARE(alert.buttons, QStringList{QStringLiteral("Update Now")});
        QVERIFY(alert.quitsAfterwards);
    }

    void onlyWebAddressesAreOpened() {
        for (const auto& [address, kept] :
             std::vector<std::pair<std::string, bool>>{{"HTTP://thrumwise.example/get", true},
                                                       {"file:///home/user/.ssh/id_rsa", false},
                                                       {"javascript:alert(1)", false},
                                                       {"steam://run/42", false},
                                                       {"https://", false},
                                                       {"download here", false}}) {
            UpdateCheckResponse response = available(false, std::nullopt);
            response.downloadUrl = address;
            QVERIFY2(UpdateAlert::forResponse(response).downloadUrl.has_value() == kept,
                     address.c_str());
        }
    }
};

QTEST_GUILESS_MAIN(UpdateAlertTest)
#include "UpdateAlertTest.moc"
