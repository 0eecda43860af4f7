#pragma once

#include <csignal>
#include <sys/prctl.h>

#include <QProcess>
#include <QTest>

namespace thrumwise::test {

// A program started by a test, its standard output collected line by line. It
// dies with the test process even when the test crashes.
class RunningProgram {
public:
    static constexpr int patienceMs = 10000;

    RunningProgram(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment, bool showErrors = true) {
        process_.setProcessEnvironment(environment);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (!showErrors) {
            process_.setStandardErrorFile(QProcess::nullDevice());
        }
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        process_.start(program, arguments);
        process_.waitForStarted();
    }
    ~RunningProgram() { stop(); }

    bool isRunning() const { return process_.state() != QProcess::NotRunning; }
    qint64 processId() const { return process_.processId(); }

    const QStringList& lines() {
        while (process_.canReadLine()) {
            lines_.append(QString::fromUtf8(process_.readLine().chopped(1)));
        }
        return lines_;
    }
    QStringList linesContaining(const QString& text) { return lines().filter(text); }
    // Stops waiting once the program has ended, as no more lines can come.
    bool waitForLines(const QString& text, int count = 1) {
        const auto seen = [&] {
            return linesContaining(text).size() >= count;
        };
        return QTest::qWaitFor([&] { return seen() || !isRunning(); }, patienceMs) && seen();
    }

    // True when it ended by itself with status 0.
    bool waitForExitSuccess() {
        return QTest::qWaitFor([this] { return !isRunning(); }, patienceMs) && stop();
    }
    // SIGTERM, then SIGKILL; true when it ended on its own with status 0.
    bool stop() {
        process_.terminate();
        const bool endedOnItsOwn = !isRunning() || process_.waitForFinished(patienceMs);
        if (!endedOnItsOwn) {
            process_.kill();
            process_.waitForFinished(patienceMs);
        }
        lines();
        return endedOnItsOwn && process_.exitStatus() == QProcess::NormalExit &&
               process_.exitCode() == 0;
    }

    QString transcript() { return u'\n' + lines().join(u'\n'); }

private:
    QProcess process_;
    QStringList lines_;
};

}  // namespace thrumwise::test
