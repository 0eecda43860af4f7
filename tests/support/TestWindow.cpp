#include "support/TestWindow.h"

namespace thrumwise::test {

TestWindow::TestWindow(const QString& program, const QProcessEnvironment& environment,
                       const QStringList& arguments)
    : program_(program, arguments, environment) {
    // The window is mapped by the time its id is printed.
    if (program_.waitForLines(QStringLiteral("0x"))) {
        id_ = program_.lines().constFirst();
    }
}

}  // namespace thrumwise::test
