#pragma once

#include "support/RunningProgram.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace thrumwise::test {

// One thrumwise-test-window: started with the object, ended (and with it its
// window) by close() or at the latest when the object goes.
class TestWindow {
public:
    TestWindow(const QString& program, const QProcessEnvironment& environment,
               const QStringList& arguments);

    // The window's id as the program printed it ("0x..."); empty when it did not start.
    QString id() const { return id_; }

    void close() { program_.stop(); }

private:
    RunningProgram program_;
    QString id_;
};

}  // namespace thrumwise::test
