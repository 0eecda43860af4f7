#include "support/TestWindow.h"

#include <QProcessEnvironment>

namespace thrumwise::test {

namespace {

constexpr int kStartTimeoutMs = 5000;

}  // namespace

TestWindow::TestWindow(const QString& program, const QString& displayName,
                       const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), displayName);
    process_.setProcessEnvironment(environment);
    process_.start(program, arguments);
    while (!process_.canReadLine() && process_.waitForReadyRead(kStartTimeoutMs)) {
    }
    id_ = QString::fromUtf8(process_.readLine()).trimmed();
}

TestWindow::~TestWindow() {
    close();
}

void TestWindow::close() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished();
    }
}

}  // namespace thrumwise::test
