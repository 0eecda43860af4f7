#include "support/SimulatorProcess.h"

#include <QRegularExpression>
#include <QTest>

namespace thrumwise::test {

SimulatorProcess::SimulatorProcess(const QString& program, const QProcessEnvironment& environment)
    : program_(program, {QStringLiteral("--port"), QStringLiteral("0")}, environment) {
    firstLine_ = nextLine();
    const auto match =
        QRegularExpression(QStringLiteral(" listening on http://127\\.0\\.0\\.1:(\\d+)$"))
            .match(firstLine_);
    port_ = static_cast<std::uint16_t>(match.captured(1).toUInt());
}

QString SimulatorProcess::nextLine() {
    if (!QTest::qWaitFor([this] { return program_.lines().size() > read_; },
                         static_cast<int>(RunningProgram::defaultPatience.count()))) {
        return {};
    }
    return program_.lines().at(read_++).trimmed();
}

}  // namespace thrumwise::test
