#include "app/SingleInstanceGuard.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>

namespace thrumwise {

namespace {

constexpr QByteArrayView kShowRequest("show\n");

}  // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& folder, QObject* parent)
    : QObject(parent),
      socketPath_(QDir(folder).filePath(QStringLiteral("thrumwise.socket"))),
      lock_(QDir(folder).filePath(QStringLiteral("thrumwise.lock"))) {
    QDir().mkpath(folder);
}

SingleInstanceGuard::~SingleInstanceGuard() = default;

bool SingleInstanceGuard::becomePrimary() {
    if (!lock_.tryLock(0)) {
        return false;
    }
    // Holding the lock, any socket left behind belongs to a process that is gone.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this,
            &SingleInstanceGuard::acceptConnections);
    // Without the socket this process still runs; only later launches cannot reach it.
    server_->listen(socketPath_);
    return true;
}

void SingleInstanceGuard::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->canReadLine() && socket->readLine(64) == kShowRequest) {
                Q_EMIT showRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstanceGuard::askPrimaryToShow(std::chrono::milliseconds patience) {
    const QDeadlineTimer deadline(patience);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(200)) {
            socket.write(kShowRequest.data(), kShowRequest.size());
            return socket.waitForBytesWritten(500);
        }
        QThread::msleep(50);  // the running process may not be listening yet
    }
    return false;
}

}  // namespace thrumwise
