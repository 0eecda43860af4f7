#pragma once

#include "support/RunningProgram.h"

#include <memory>

#include <QRandomGenerator>
#include <QTemporaryDir>

namespace thrumwise::test {

// A private X server (Xvfb), optionally with openbox on it. Everything it
// starts ends with it.
class XvfbServer {
public:
    // Far from the low numbers desktops take, so that the number is still free
    // for restart().
    bool start() {
        bool started = false;
        for (int attempt = 0; attempt < 20 && !started; ++attempt) {
            started = launch(QRandomGenerator::global()->bounded(100, 30000));
        }
        return started;
    }
    void kill() {
        windowManager_.reset();
        server_.reset();
    }
    bool restart() { return displayNumber_ >= 0 && launch(displayNumber_); }

    // openbox runs its start-up command once it manages the screen; the
    // command's output is openbox's.
    bool startWindowManager() {
        QProcessEnvironment environment = clientEnvironment();
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.path());
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home_.path());
        windowManager_ = std::make_unique<RunningProgram>(
            QStringLiteral("openbox"),
            QStringList{QStringLiteral("--sm-disable"), QStringLiteral("--startup"),
                        QStringLiteral("echo managing")},
            environment, false);
        return windowManager_->waitForLines(QStringLiteral("managing"));
    }

    QString displayName() const { return QStringLiteral(":%1").arg(displayNumber_); }
    QProcessEnvironment clientEnvironment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), displayName());
        return environment;
    }
    // Runs a client to its end; true when it exited with 0.
    bool run(const QString& program, const QStringList& arguments) const {
        return RunningProgram(program, arguments, clientEnvironment()).waitForExitSuccess();
    }

private:
    // Xvfb prints the display number once it accepts clients, and exits at
    // once when another server has the number.
    bool launch(int displayNumber) {
        kill();
        displayNumber_ = displayNumber;
        server_ = std::make_unique<RunningProgram>(
            QStringLiteral("Xvfb"),
            QString(displayName() +
                    QStringLiteral(" -displayfd 1 -noreset -nolisten tcp -screen 0 1280x1024x24"))
                .split(u' '),
            QProcessEnvironment::systemEnvironment(), false);
        return server_->waitForLines(QString()) &&
               server_->lines().constFirst().toInt() == displayNumber;
    }

    QTemporaryDir home_;  // openbox's configuration and cache
    std::unique_ptr<RunningProgram> server_;
    std::unique_ptr<RunningProgram> windowManager_;  // declared last, so that it ends first
    int displayNumber_ = -1;
};

}  // namespace thrumwise::test
