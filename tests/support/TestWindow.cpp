#include "support/TestWindow.h"

namespace thrumwise::test {

TestWindow::TestWindow(const QString& program, const QProcessEnvironment& environment,
                       const QStringList& arguments)
    : program_(program, arguments, environment) {
    // The id comes once the window is asked to be mapped; under a window
    // manager, callers wait for it to be on screen.
    if (program_.waitForLines(QStringLiteral("0x"))) {
        id_ = program_.lines().constFirst();
    }
}

}  // namespace thrumwise::test
