#pragma once

#include "common/RepeatingTimer.h"
#include "services/HttpClient.h"

#include <functional>

#include <QObject>
#include <QString>
#include <QUrl>

namespace thrumwise {

class AlertPresenter;

// Asks the vendor's update endpoint once per launch whether a newer version
// exists, and offers it (or, when it is required, insists on it).
class UpdateService : public QObject {
    Q_OBJECT

public:
    struct Actions {
        AlertPresenter& alerts;
        std::function<void(const QUrl&)> openUrl;
        std::function<void()> terminate;
    };

    // `endpoint` is the service's base address; the path "/check-update" is added.
    // A check waits ten seconds for its answer, counted on `timers`.
    UpdateService(QString endpoint, QString currentVersion, Actions actions, TimerFactory& timers,
                  QObject* parent = nullptr);

    // Returns at once; the answer is handled later on the GUI thread. Every
    // failure ends the check silently.
    void checkForUpdates();

Q_SIGNALS:
    // The check has ended, whether an alert was shown or not.
    void checkFinished();

private:
    void handleAnswer(const HttpResponse& response);

    QString endpoint_;
    QString currentVersion_;
    Actions actions_;
    TimerFactory& timers_;
    // Runs while a check waits for its answer; an answer after it is ignored.
    std::unique_ptr<RepeatingTimer> deadline_;
    // Last, so that it stops before what its completions touch goes: a check
    // still waiting for its answer is dropped and no TLS exchange outlives it.
    HttpClient http_;
};

}  // namespace thrumwise
