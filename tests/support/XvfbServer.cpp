#include "support/XvfbServer.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace thrumwise::test {

namespace {

constexpr int kStartTimeoutMs = 15000;
constexpr int kAttempts = 20;
// Far from the low numbers that desktops and other servers take first, so
// that a number given up by kill() is still free for restart().
constexpr int kFirstDisplayNumber = 100;
constexpr int kDisplayNumberLimit = 30000;

}  // namespace

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
    windowManager_.reset();
    server_.reset();
}

// Xvfb prints the display number (-displayfd) once it accepts clients, and
// exits at once when another server has the number.
bool XvfbServer::launch(int displayNumber) {
    kill();
    displayNumber_ = displayNumber;
    server_ = std::make_unique<RunningProgram>(
        QStringLiteral("Xvfb"),
        QStringList{displayName(), QStringLiteral("-displayfd"), QStringLiteral("1"),
                    QStringLiteral("-noreset"), QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                    QStringLiteral("-screen"), QStringLiteral("0"), QStringLiteral("1280x1024x24")},
        QProcessEnvironment::systemEnvironment(), RunningProgram::Errors::hidden);
    const bool hasSpoken = QTest::qWaitFor(
        [this] { return !server_->lines().isEmpty() || !server_->isRunning(); }, kStartTimeoutMs);
    return hasSpoken && server_->isRunning() &&
           server_->lines().constFirst().toInt() == displayNumber;
}

// openbox runs its start-up command once it manages the screen.
bool XvfbServer::startWindowManager() {
    if (!server_ || !home_.isValid()) {
        return false;
    }
    const QString marker = home_.filePath(QStringLiteral("openbox-ready"));
    QFile::remove(marker);
    QProcessEnvironment environment = clientEnvironment();
    for (const QString& folder :
         {QStringLiteral("CONFIG"), QStringLiteral("CACHE"), QStringLiteral("DATA")}) {
        environment.insert(QStringLiteral("XDG_%1_HOME").arg(folder), home_.filePath(folder));
    }
    windowManager_ = std::make_unique<RunningProgram>(
        QStringLiteral("openbox"),
        QStringList{QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                    QStringLiteral("touch ") + marker},
        environment, RunningProgram::Errors::hidden);
    return QTest::qWaitFor([&] { return QFile::exists(marker) || !windowManager_->isRunning(); },
                           kStartTimeoutMs) &&
           windowManager_->isRunning();
}

QProcessEnvironment XvfbServer::clientEnvironment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), displayName());
    return environment;
}

bool XvfbServer::run(const QString& program, const QStringList& arguments) const {
    return RunningProgram(program, arguments, clientEnvironment()).waitForExitSuccess();
}

}  // namespace thrumwise::test
