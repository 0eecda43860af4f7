#pragma once

#include "support/RunningProgram.h"

#include <memory>

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace thrumwise::test {

// A private X server (Xvfb) for tests that need a real display, optionally
// with the openbox window manager on it. Everything it starts ends with it.
class XvfbServer {
public:
    // Starts Xvfb on a display number no other server uses and waits until it
    // accepts clients. False when it did not come up.
    bool start();
    // Ends the server (and the window manager); its clients lose their
    // connections. The display number stays reserved for restart().
    void kill();
    // Starts a new server on the same display after kill().
    bool restart();

    // Starts openbox on the display and waits until it manages the screen.
    bool startWindowManager();

    // ":N"
    QString displayName() const { return QStringLiteral(":%1").arg(displayNumber_); }

    // The test's own environment with DISPLAY set to this server.
    QProcessEnvironment clientEnvironment() const;

    // Runs `program` as a client of this display and waits for it to end.
    // True when it exited normally with status 0.
    bool run(const QString& program, const QStringList& arguments) const;

private:
    bool launch(int displayNumber);

    QTemporaryDir home_;  // openbox's configuration and cache go here
    std::unique_ptr<RunningProgram> server_;
    std::unique_ptr<RunningProgram> windowManager_;  // declared last, so that it ends first
    int displayNumber_ = -1;
};

}  // namespace thrumwise::test
