#pragma once

#include <chrono>
#include <memory>

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

namespace thrumwise {

// Decides which Thrumwise process of the user is the running one. The first
// holds a lock file and listens on a local socket (user-only access); a later
// one asks it to show its main window and then leaves.
class SingleInstanceGuard : public QObject {
    Q_OBJECT

public:
    // `folder` holds the lock file and the socket ($XDG_RUNTIME_DIR for the app).
    explicit SingleInstanceGuard(const QString& folder, QObject* parent = nullptr);
    ~SingleInstanceGuard() override;

    // True when this process is now the running one. A lock left by a process
    // that died is taken over.
    bool becomePrimary();

    // From a second process: asks the running one to show its window, retrying
    // briefly while it starts listening. True when the request was delivered.
    bool askPrimaryToShow(std::chrono::milliseconds patience = std::chrono::seconds(3));

Q_SIGNALS:
    // In the running process, when a later launch asked for the window.
    void showRequested();

private:
    void acceptConnections();

    QString socketPath_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace thrumwise
