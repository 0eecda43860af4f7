#include "support/SimulatorProcess.h"

#include <QRegularExpression>

namespace thrumwise::test {

namespace {

constexpr int kLineTimeoutMs = 5000;

}  // namespace

SimulatorProcess::SimulatorProcess(const QString& program) {
    process_.start(program, {QStringLiteral("--port"), QStringLiteral("0")});
    firstLine_ = nextLine();
    const auto match =
        QRegularExpression(QStringLiteral(" listening on http://127\\.0\\.0\\.1:(\\d+)$"))
            .match(firstLine_);
    port_ = static_cast<std::uint16_t>(match.captured(1).toUInt());
}

SimulatorProcess::~SimulatorProcess() {
    process_.terminate();
    process_.waitForFinished();
}

QString SimulatorProcess::nextLine() {
    while (!process_.canReadLine() && process_.waitForReadyRead(kLineTimeoutMs)) {
    }
    return QString::fromUtf8(process_.readLine()).trimmed();
}

}  // namespace thrumwise::test
