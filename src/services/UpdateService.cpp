#include "services/UpdateService.h"

#include "services/UpdateAlert.h"
#include "services/UpdateCheckResponse.h"

namespace thrumwise {

namespace {

constexpr std::size_t kLargestAnswer = std::size_t{1024} * 1024;
constexpr std::chrono::milliseconds kAnswerLimit = std::chrono::seconds(10);

}  // namespace

UpdateService::UpdateService(QString endpoint, QString currentVersion, Actions actions,
                             TimerFactory& timers, QObject* parent)
    : QObject(parent),
      endpoint_(std::move(endpoint)),
      currentVersion_(currentVersion.isEmpty() ? QStringLiteral("1.0.0")
                                               : std::move(currentVersion)),
      actions_(std::move(actions)),
      timers_(timers),
      http_(HttpClient::Options{kAnswerLimit, false, kLargestAnswer}) {}

void UpdateService::checkForUpdates() {
    QString base = endpoint_;
    while (base.endsWith(QLatin1Char('/'))) {
        base.chop(1);
    }
    const QUrl url(base + QStringLiteral("/check-update"), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) {
        Q_EMIT checkFinished();
        return;
    }
    // The transfer has the same limit, but the GUI thread's timer decides when the check ends.
    deadline_ = timers_.startRepeating(kAnswerLimit, [this] {
        deadline_.reset();
        Q_EMIT checkFinished();
    });
    const std::string body = jsonObjectWithText("current_version", currentVersion_.toStdString());
    http_.postJson(url.toEncoded().toStdString(), body, [this](const HttpResponse& response) {
        QMetaObject::invokeMethod(
            this,
            [this, response] {
                if (deadline_) {
                    handleAnswer(response);
                }
            },
            Qt::QueuedConnection);
    });
}

// The status code is not looked at: a body that decodes is used whatever the status.
void UpdateService::handleAnswer(const HttpResponse& response) {
    deadline_.reset();
    const auto answer =
        response.isTransportError() ? std::nullopt : UpdateCheckResponse::decode(response.body);
    if (answer && answer->success && answer->updateAvailable) {
        const UpdateAlert alert = UpdateAlert::forResponse(*answer);
        const int chosen = actions_.alerts.runModal(alert);
        if (chosen == 0 && alert.downloadUrl) {
            actions_.openUrl(*alert.downloadUrl);
        }
        if (alert.quitsAfterwards) {
            actions_.terminate();
        }
    }
    Q_EMIT checkFinished();
}

}  // namespace thrumwise
