#pragma once

#include "support/RunningProgram.h"

#include <QRegularExpression>

namespace thrumwise::test {

// One of the simulator programs, started as a user starts it, on a free port
// that its first line tells. Ends when the object goes.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const QString& program, const QProcessEnvironment& environment =
                                                          QProcessEnvironment::systemEnvironment())
        : program_(program, {QStringLiteral("--port"), QStringLiteral("0")}, environment) {
        program_.waitForLines(QString());
        port_ = static_cast<std::uint16_t>(
            QRegularExpression(QStringLiteral(" listening on http://127\\.0\\.0\\.1:(\\d+)$"))
                .match(program_.lines().value(0).trimmed())
                .captured(1)
                .toUInt());
    }

    std::uint16_t port() const { return port_; }  // 0 when the first line did not say
    RunningProgram& program() { return program_; }

private:
    RunningProgram program_;
    std::uint16_t port_ = 0;
};

}  // namespace thrumwise::test
