#include "services/UpdateAlert.h"

#include "services/UpdateCheckResponse.h"

namespace thrumwise {

namespace {

std::optional<QUrl> webAddress(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    const QUrl url(QString::fromStdString(*text), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http"))) {
        return std::nullopt;
    }
    return url;
}

}  // namespace

UpdateAlert UpdateAlert::forResponse(const UpdateCheckResponse& response) {
    UpdateAlert alert;
    alert.quitsAfterwards = response.forceUpdate;
    alert.title = response.forceUpdate ? QStringLiteral("Update Required")
                                       : QStringLiteral("Update Available");
    alert.text = QStringLiteral("Thrumwise ") +
                 QString::fromStdString(response.latestVersion.value_or("latest")) +
                 QStringLiteral(" is available.");
    if (response.releaseNotes && !response.releaseNotes->empty()) {
        alert.text += QStringLiteral("\n\n") + QString::fromStdString(*response.releaseNotes);
    }
    if (response.forceUpdate) {
        alert.text += QStringLiteral("\n\nThis update is required to continue using Thrumwise.");
        alert.buttons = {QStringLiteral("Update Now")};
    } else {
        alert.buttons = {QStringLiteral("Update"), QStringLiteral("Later")};
    }
    alert.downloadUrl = webAddress(response.downloadUrl);
    return alert;
}

}  // namespace thrumwise
