#pragma once

#include "support/RunningProgram.h"

#include <cstdint>

#include <QProcessEnvironment>
#include <QString>

namespace thrumwise::test {

// One of the simulator programs, started as a user starts it, on a free port.
// Ends when the object goes.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const QString& program, const QProcessEnvironment& environment =
                                                          QProcessEnvironment::systemEnvironment());

    // The port from its first line; 0 when that line did not say.
    std::uint16_t port() const { return port_; }
    QString firstLine() const { return firstLine_; }
    RunningProgram& program() { return program_; }

    // The next line not yet read here, or an empty text after a while.
    QString nextLine();

private:
    RunningProgram program_;
    qsizetype read_ = 0;
    QString firstLine_;
    std::uint16_t port_ = 0;
};

}  // namespace thrumwise::test
