#pragma once

#include "support/RunningProgram.h"

namespace thrumwise::test {

// One thrumwise-test-window; its id ("0x...") is the first line it prints,
// once the window is asked to be mapped. Empty when it did not start.
class TestWindow {
public:
    TestWindow(const QString& program, const QProcessEnvironment& environment,
               const QStringList& arguments)
        : program_(program, arguments, environment) {
        id_ = program_.waitForLines(QStringLiteral("0x")) ? program_.lines().constFirst() : id_;
    }
    QString id() const { return id_; }
    void close() { program_.stop(); }

private:
    RunningProgram program_;
    QString id_;
};

}  // namespace thrumwise::test
