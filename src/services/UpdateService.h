#pragma once

#include "services/HttpClient.h"

#include <functional>
#include <memory>

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
    UpdateService(QString endpoint, QString currentVersion, Actions actions,
                  QObject* parent = nullptr);

    // The endpoint set when the project was configured, unless the
    // THRUMWISE_UPDATE_URL environment variable names another.
    static UpdateService& shared();
    static QString configuredEndpoint();

    // Returns at once; the answer is handled later on the GUI thread. Every
    // failure ends the check silently.
    void checkForUpdates();

    // Drops a check still waiting for its answer and ends the network worker,
    // so that no TLS exchange is still running while the process exits.
    // Checks asked for afterwards end at once.
    void shutDown();

Q_SIGNALS:
    // The check has ended, whether an alert was shown or not.
    void checkFinished();

private:
    void handleAnswer(const HttpResponse& response);

    QString endpoint_;
    QString currentVersion_;
    Actions actions_;
    std::unique_ptr<HttpClient> http_;
};

}  // namespace thrumwise
