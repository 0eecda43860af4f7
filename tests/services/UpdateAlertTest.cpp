#include "services/UpdateAlert.h"
#include "services/UpdateCheckResponse.h"

#include <QTest>

using namespace thrumwise;
using namespace Qt::StringLiterals;

namespace {

UpdateAlert alertFor(bool force, std::optional<std::string> notes,
                     std::optional<std::string> version = "2.1.0",
                     std::string page = "https://thrumwise.example/get") {
    // Success, an update available, forced or not, the version, the page and the notes.
    return UpdateAlert::forResponse(
        {true, true, force, std::move(version), std::move(page), std::move(notes)});
}

// "title | text | buttons | page | quits" in one line, so a failure shows all that differs.
QString describe(const UpdateAlert& alert) {
    return QStringList{alert.title, alert.text, alert.buttons.join(u'/'),
                       alert.downloadUrl.value_or(QUrl()).toString(),
                       alert.quitsAfterwards ? u"quits"_s : u"stays"_s}
        .join(u" | "_s);
}

}  // namespace

class UpdateAlertTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void anAvailableUpdateOffersTwoButtonsARequiredOneInsists() {
        QCOMPARE(describe(alertFor(false, "Faster start-up.")),
                 u"Update Available | Thrumwise 2.1.0 is available.\n\nFaster start-up. | "
                 "Update/Later | https://thrumwise.example/get | stays"_s);
        QCOMPARE(alertFor(false, "", std::nullopt).text, u"Thrumwise latest is available."_s);
        QCOMPARE(
            describe(alertFor(true, std::nullopt)),
            u"Update Required | Thrumwise 2.1.0 is available.\n\nThis update is required to "
            "continue using Thrumwise. | Update Now | https://thrumwise.example/get | quits"_s);
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
