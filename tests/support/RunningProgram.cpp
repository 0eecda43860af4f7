#include "support/RunningProgram.h"

#include <csignal>
#include <sys/prctl.h>

#include <QTest>

namespace thrumwise::test {

namespace {

constexpr int kStopTimeoutMs = 10000;

}  // namespace

RunningProgram::RunningProgram(const QString& program, const QStringList& arguments,
                               const QProcessEnvironment& environment, Errors errors)
    : command_((QStringList{program} + arguments).join(QLatin1Char(' '))) {
    process_.setProcessEnvironment(environment);
    if (errors == Errors::shown) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    } else {
        process_.setStandardErrorFile(QProcess::nullDevice());
    }
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process_.start(program, arguments);
    process_.waitForStarted();
}

RunningProgram::~RunningProgram() {
    stop();
}

const QStringList& RunningProgram::lines() {
    collect();
    return lines_;
}

QStringList RunningProgram::linesContaining(const QString& text) {
    return lines().filter(text);
}

bool RunningProgram::waitForLines(const QString& text, int count,
                                  std::chrono::milliseconds patience) {
    return QTest::qWaitFor([&] { return linesContaining(text).size() >= count; },
                           static_cast<int>(patience.count()));
}

bool RunningProgram::waitForExitSuccess(std::chrono::milliseconds patience) {
    const bool ended =
        QTest::qWaitFor([this] { return !isRunning(); }, static_cast<int>(patience.count()));
    collect();
    return ended && process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

bool RunningProgram::stop() {
    bool endedOnItsOwn = true;
    if (isRunning()) {
        process_.terminate();
        if (!process_.waitForFinished(kStopTimeoutMs)) {
            endedOnItsOwn = false;
            process_.kill();
            process_.waitForFinished(kStopTimeoutMs);
        }
    }
    collect();
    return endedOnItsOwn && process_.exitStatus() == QProcess::NormalExit &&
           process_.exitCode() == 0;
}

QString RunningProgram::transcript() {
    return QStringLiteral("$ %1\n%2").arg(command_, lines().join(QLatin1Char('\n')));
}

// Output arrives in pieces; a line counts once its line end is there.
void RunningProgram::collect() {
    pending_ += process_.readAllStandardOutput();
    for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n')) {
        lines_.append(QString::fromUtf8(pending_.left(end)));
        pending_.remove(0, end + 1);
    }
}

}  // namespace thrumwise::test
