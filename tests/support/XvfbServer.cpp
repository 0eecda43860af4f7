#include "support/XvfbServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QTest>

namespace thrumwise::test {

namespace {

constexpr int kStartTimeoutMs = 15000;
constexpr int kStopTimeoutMs = 10000;

}  // namespace

XvfbServer::XvfbServer() = default;

XvfbServer::~XvfbServer() {
    kill();
}

bool XvfbServer::start() {
    return launch({});
}

bool XvfbServer::restart() {
    const QString display = displayName_;
    return !display.isEmpty() && launch({display}) && displayName_ == display;
}

void XvfbServer::kill() {
    stop(windowManager_);
    stop(server_);
}

// Xvfb writes its display number to -displayfd once it accepts clients; with
// no number given it picks the first free one.
bool XvfbServer::launch(const QStringList& displayArguments) {
    kill();
    server_ = std::make_unique<QProcess>();
    server_->setStandardErrorFile(QProcess::nullDevice());
    server_->start(
        QStringLiteral("Xvfb"),
        displayArguments + QStringList{QStringLiteral("-displayfd"), QStringLiteral("1"),
                                       QStringLiteral("-noreset"), QStringLiteral("-nolisten"),
                                       QStringLiteral("tcp"), QStringLiteral("-screen"),
                                       QStringLiteral("0"), QStringLiteral("1280x1024x24")});
    const QDeadlineTimer deadline(kStartTimeoutMs);
    QByteArray output;
    while (!output.contains('\n')) {
        if (!server_->waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            qWarning("Xvfb did not come up: %s", qPrintable(server_->errorString()));
            stop(server_);
            return false;
        }
        output += server_->readAllStandardOutput();
    }
    bool isNumber = false;
    const int number = output.trimmed().toInt(&isNumber);
    if (!isNumber) {
        stop(server_);
        return false;
    }
    displayName_ = QStringLiteral(":%1").arg(number);
    return true;
}

// openbox runs its start-up command once it manages the screen.
bool XvfbServer::startWindowManager() {
    if (!server_ || !home_.isValid()) {
        return false;
    }
    const QString marker = home_.filePath(QStringLiteral("openbox-ready"));
    QFile::remove(marker);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), displayName_);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home_.filePath(QStringLiteral("cache")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home_.filePath(QStringLiteral("data")));
    windowManager_ = std::make_unique<QProcess>();
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

bool XvfbServer::run(const QString& program, const QStringList& arguments) const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), displayName_);
    QProcess process;
    process.setProcessEnvironment(environment);
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
