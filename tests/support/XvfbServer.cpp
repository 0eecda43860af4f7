#include "support/XvfbServer.h"

#include "support/RunningProgram.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QTest>

namespace thrumwise::test {

namespace {

constexpr int kStartTimeoutMs = 15000;
constexpr int kStopTimeoutMs = 10000;
constexpr int kAttempts = 20;
// Far from the low numbers that desktops and other servers take first, so
// that a number given up by kill() is still free for restart().
constexpr int kFirstDisplayNumber = 100;
constexpr int kDisplayNumberLimit = 30000;

}  // namespace

XvfbServer::XvfbServer() = default;

XvfbServer::~XvfbServer() {
    kill();
}

bool XvfbServer::start() {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (launch(QRandomGenerator::global()->bounded(kFirstDisplayNumber, kDisplayNumberLimit))) {
            return true;
        }
    }
    return false;
}

bool XvfbServer::restart() {
    return displayNumber_ >= 0 && launch(displayNumber_);
}

void XvfbServer::kill() {
    stop(windowManager_);
    stop(server_);
}

// Xvfb writes the display number to -displayfd once it accepts clients, and
// exits at once when another server has the number.
bool XvfbServer::launch(int displayNumber) {
    kill();
    displayNumber_ = displayNumber;
    server_ = std::make_unique<QProcess>();
    endWithTheTest(*server_);
    server_->setStandardErrorFile(QProcess::nullDevice());
    server_->start(
        QStringLiteral("Xvfb"),
        {displayName(), QStringLiteral("-displayfd"), QStringLiteral("1"),
         QStringLiteral("-noreset"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
         QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24")});
    const QDeadlineTimer deadline(kStartTimeoutMs);
    QByteArray output;
    while (!output.contains('\n')) {
        if (!server_->waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            stop(server_);
            return false;
        }
        output += server_->readAllStandardOutput();
    }
    return output.trimmed().toInt() == displayNumber;
}

// openbox runs its start-up command once it manages the screen.
bool XvfbServer::startWindowManager() {
    if (!server_ || !home_.isValid()) {
        return false;
    }
    const QString marker = home_.filePath(QStringLiteral("openbox-ready"));
    QFile::remove(marker);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), displayName());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home_.filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home_.filePath(QStringLiteral("data")));
    windowManager_ = std::make_unique<QProcess>();
    endWithTheTest(*windowManager_);
    windowManager_->setProcessEnvironment(environment);
    windowManager_->setStandardOutputFile(QProcess::nullDevice());
    windowManager_->setStandardErrorFile(QProcess::nullDevice());
    windowManager_->start(QStringLiteral("openbox"),
                          {QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                           QStringLiteral("touch ") + marker});
    const bool isReady = QTest::qWaitFor(
        [&] { return QFile::exists(marker) || windowManager_->state() == QProcess::NotRunning; },
        kStartTimeoutMs);
    return isReady && windowManager_->state() == QProcess::Running;
}

QProcessEnvironment XvfbServer::clientEnvironment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), displayName());
    return environment;
}

bool XvfbServer::run(const QString& program, const QStringList& arguments) const {
    QProcess process;
    process.setProcessEnvironment(clientEnvironment());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForFinished(kStartTimeoutMs) &&
           process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void XvfbServer::stop(std::unique_ptr<QProcess>& process) {
    if (!process) {
        return;
    }
    if (process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(kStopTimeoutMs)) {
            process->kill();
            process->waitForFinished(kStopTimeoutMs);
        }
    }
    process.reset();
}

}  // namespace thrumwise::test
