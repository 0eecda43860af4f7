#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace thrumwise::test {

// One thrumwise-test-window on an X display: started with the object, ended
// (and with it its window) by close() or at the latest when the object goes.
class TestWindow {
public:
    TestWindow(const QString& program, const QString& displayName, const QStringList& arguments);
    ~TestWindow();

    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    // The window's id as the program printed it ("0x..."); empty when it did not start.
    QString id() const { return id_; }

    void close();

private:
    QProcess process_;
    QString id_;
};

}  // namespace thrumwise::test
