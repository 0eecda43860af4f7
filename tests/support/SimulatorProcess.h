#pragma once

#include <cstdint>

#include <QProcess>
#include <QString>

namespace thrumwise::test {

// One of the simulator programs, started as a user starts it on a free port.
// Ends when the object goes.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const QString& program);
    ~SimulatorProcess();

    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // The port from its first line; 0 when that line did not say.
    std::uint16_t port() const { return port_; }
    QString firstLine() const { return firstLine_; }
    QProcess& process() { return process_; }

    // The next line it prints, or an empty text after five seconds.
    QString nextLine();

private:
    QProcess process_;
    QString firstLine_;
    std::uint16_t port_ = 0;
};

}  // namespace thrumwise::test
