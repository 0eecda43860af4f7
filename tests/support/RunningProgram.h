#pragma once

#include <chrono>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace thrumwise::test {

// A program started by a test, its standard output collected line by line.
// It is stopped when the object goes, and ends with the test process even
// when the test crashes, so nothing outlives a failed test.
class RunningProgram {
public:
    static constexpr std::chrono::milliseconds defaultPatience{10000};
    // Whether its error output passes through to the test's own.
    enum class Errors { shown, hidden };

    RunningProgram(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment, Errors errors = Errors::shown);
    ~RunningProgram();

    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool isRunning() const { return process_.state() != QProcess::NotRunning; }
    qint64 processId() const { return process_.processId(); }

    // Every whole line printed so far, without its line end.
    const QStringList& lines();
    // The lines that contain `text`.
    QStringList linesContaining(const QString& text);
    // Waits until at least `count` lines contain `text`.
    bool waitForLines(const QString& text, int count = 1,
                      std::chrono::milliseconds patience = defaultPatience);

    // Waits until the program has ended by itself; true when it exited with status 0.
    bool waitForExitSuccess(std::chrono::milliseconds patience = defaultPatience);
    // Asks the program to end (SIGTERM), and kills it when it does not. True
    // when it ended on its own with status 0 (also when it had ended before).
    bool stop();

    // The command and its output so far, for failure messages.
    QString transcript();

private:
    void collect();

    QProcess process_;
    QString command_;
    QByteArray pending_;
    QStringList lines_;
};

}  // namespace thrumwise::test
