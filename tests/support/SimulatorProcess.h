#pragma once

#include "services/HttpClient.h"
#include "support/RunningProgram.h"

#include <atomic>
#include <memory>
#include <optional>

#include <QRegularExpression>

namespace thrumwise::test {

// One of the simulator programs, started as a user starts it, on a free port
// that its first line tells. Ends when the object goes.
class SimulatorProcess {
public:
    explicit SimulatorProcess(const QString& program, const QProcessEnvironment& environment =
                                                          QProcessEnvironment::systemEnvironment())
        : program_(program, {QStringLiteral("--port"), QStringLiteral("0")}, environment) {
        firstLine_ = nextLine();
        port_ = static_cast<std::uint16_t>(
            QRegularExpression(QStringLiteral(" listening on http://127\\.0\\.0\\.1:(\\d+)$"))
                .match(firstLine_)
                .captured(1)
                .toUInt());
    }

    std::uint16_t port() const { return port_; }  // 0 when the first line did not say
    QString firstLine() const { return firstLine_; }
    RunningProgram& program() { return program_; }
    // The next line not yet read here, or an empty text after a while.
    QString nextLine() {
        return QTest::qWaitFor([this] { return program_.lines().size() > read_; },
                               RunningProgram::patienceMs)
                   ? program_.lines().at(read_++).trimmed()
                   : QString();
    }
    // The reply's status to one request for `path`: a POST of `body` when there
    // is one, else a GET; 0 when no reply came.
    long status(const std::string& path, const std::optional<std::string>& body = std::nullopt) {
        // Filled on the client's worker thread, which may outlive the wait.
        const auto status = std::make_shared<std::atomic<long>>(-1);
        auto record = [status](const HttpResponse& response) {
            status->store(response.status);
        };
        if (body) {
            client_.postJson(loopbackBaseUrl(port_) + path, *body, std::move(record));
        } else {
            client_.get(loopbackBaseUrl(port_) + path, std::move(record));
        }
        static_cast<void>(QTest::qWaitFor([&] { return status->load() != -1; }, 5000));
        return status->load();
    }

private:
    RunningProgram program_;
    qsizetype read_ = 0;
    QString firstLine_;
    std::uint16_t port_ = 0;
    HttpClient client_{{.timeout = std::chrono::seconds(2)}};
};

}  // namespace thrumwise::test
