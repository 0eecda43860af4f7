#pragma once

#include <chrono>
#include <csignal>
#include <sys/prctl.h>

#include <QProcess>
#include <QTest>

namespace thrumwise::test {

// A program started by a test, its standard output collected line by line.
// It is stopped when the object goes, and dies with the test process even when
// the test crashes, so nothing outlives a failed test.
class RunningProgram {
public:
    static constexpr int patienceMs = 10000;

    RunningProgram(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment, bool showErrors = true)
        : command_((QStringList{program} + arguments).join(QLatin1Char(' '))) {
        process_.setProcessEnvironment(environment);
        if (showErrors) {
            process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        } else {
            process_.setStandardErrorFile(QProcess::nullDevice());
        }
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        process_.start(program, arguments);
        process_.waitForStarted();
    }
    ~RunningProgram() { stop(); }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool isRunning() const { return process_.state() != QProcess::NotRunning; }
    qint64 processId() const { return process_.processId(); }

    // Every whole line printed so far; output arrives in pieces.
    const QStringList& lines() {
        pending_ += process_.readAllStandardOutput();
        for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n')) {
            lines_.append(QString::fromUtf8(pending_.left(end)));
            pending_.remove(0, end + 1);
        }
        return lines_;
    }
    QStringList linesContaining(const QString& text) { return lines().filter(text); }
    bool waitForLines(const QString& text, int count = 1) {
        return QTest::qWaitFor([&] { return linesContaining(text).size() >= count; }, patienceMs);
    }

    // Waits until it has ended by itself; true when it exited with status 0.
    bool waitForExitSuccess() {
        return QTest::qWaitFor([this] { return !isRunning(); }, patienceMs) && succeeded(true);
    }
    // Asks it to end (SIGTERM), and kills it when it does not. True when it
    // ended on its own with status 0, also when it had ended before.
    bool stop() {
        bool endedOnItsOwn = true;
        if (isRunning()) {
            process_.terminate();
            if (!process_.waitForFinished(patienceMs)) {
                endedOnItsOwn = false;
                process_.kill();
                process_.waitForFinished(patienceMs);
            }
        }
        return succeeded(endedOnItsOwn);
    }

    // The command and its output so far, for failure messages.
    QString transcript() { return QStringLiteral("$ ") + command_ + u'\n' + lines().join(u'\n'); }

private:
    bool succeeded(bool endedOnItsOwn) {
        lines();
        return endedOnItsOwn && process_.exitStatus() == QProcess::NormalExit &&
               process_.exitCode() == 0;
    }

    QProcess process_;
    QString command_;
    QByteArray pending_;
    QStringList lines_;
};

}  // namespace thrumwise::test
