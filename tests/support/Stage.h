#pragma once

// Its users build with THRUMWISE_APP and the other programs' paths defined.
#include "model/ProfileCoding.h"
#include "support/LoopbackHttpServer.h"
#include "support/SampleProfiles.h"
#include "support/SimulatorProcess.h"
#include "support/TestWindow.h"
#include "support/XvfbServer.h"

#include <QDir>
#include <QFileInfo>

// Verifies, and on failure shows what the program printed.
#define VERIFY_SEEN(program, condition) QVERIFY2(condition, qPrintable((program).transcript()))

namespace thrumwise::test {

inline QByteArray gameProfile(std::vector<KeyMapping> mappings) {
    return QByteArray::fromStdString(
        encodeProfiles({profile("GAME", "E2E Game", "ThrumwiseE2EGame", std::move(mappings))}));
}

// One player's machine: a private display with openbox, both simulators on
// free ports, a throw-away home so that the user's own files and running
// copies are never touched, and game windows. The display ends last.
class Stage {
public:
    bool start() {
        if (!home_.isValid() || !server_.start() || !server_.startWindowManager() ||
            !QDir().mkpath(home("runtime"))) {
            return false;
        }
        // Qt refuses a runtime folder that others may enter.
        QFile::setPermissions(home("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        plugin_.emplace(QStringLiteral(THRUMWISE_PLUGIN_SIM), environment());
        companion_.emplace(QStringLiteral(THRUMWISE_COMPANION_SIM), environment());
        return plugin_->port() != 0 && companion_->port() != 0;
    }

    QString home(const char* path) const { return home_.filePath(QString::fromUtf8(path)); }
    // The effects the plug-in was asked to play, sorted: each travels on its own.
    QStringList effects() {
        QStringList found = plugin_->program().linesContaining(QStringLiteral(" effect "));
        found.replaceInStrings(QRegularExpression(QStringLiteral("^.* effect ")), QString());
        found.sort();
        return found;
    }
    bool writeFile(const char* path, const QByteArray& bytes) const {
        QFile file(home(path));
        return QDir().mkpath(QFileInfo(file).path()) && file.open(QIODevice::WriteOnly) &&
               file.write(bytes) == bytes.size();
    }
    bool writeProfiles(const QByteArray& bytes) const {
        return writeFile("data/Thrumwise/profiles.json", bytes);
    }
    // Saved by renaming a whole file, so never read half-written.
    std::vector<GameProfile> savedProfiles() const {
        QFile file(home("data/Thrumwise/profiles.json"));
        return file.open(QIODevice::ReadOnly) ? decodeProfiles(file.readAll().toStdString())
                                              : std::vector<GameProfile>();
    }

    std::unique_ptr<RunningProgram> startThrumwise() const {
        QProcessEnvironment variables = environment();
        variables.insert(QStringLiteral("THRUMWISE_PLUGIN_PORT"), QString::number(plugin_->port()));
        variables.insert(QStringLiteral("THRUMWISE_COMPANION_PORT"),
                         QString::number(companion_->port()));
        variables.insert(QStringLiteral("THRUMWISE_UPDATE_URL"),
                         QStringLiteral("http://127.0.0.1:%1").arg(closedPort_.port()));
        return std::make_unique<RunningProgram>(QStringLiteral(THRUMWISE_APP), QStringList(),
                                                variables);
    }
    // Waits until it watches the focus and shows its main window, so that the
    // window cannot take the focus from a game later.
    bool launch(std::unique_ptr<RunningProgram>& app) const {
        app = startThrumwise();
        return app->waitForLines(QStringLiteral("[AppMonitor] Started monitoring")) &&
               !waitForWindows(mainWindowOf(*app)).isEmpty();
    }
    // A window of the program by its title, spaces as dots.
    static QString mainWindowOf(const RunningProgram& app,
                                const QString& title = QStringLiteral("Thrumwise")) {
        return QStringLiteral("--pid %1 --name ^%2$").arg(app.processId()).arg(title);
    }

    // The first visible window that meets every condition once there are
    // `count` of them, an empty text for none; a null text when they do not come.
    QString waitForWindows(const QString& conditions, int count = 1) const {
        QStringList found;
        const auto search = [&] {
            const auto xdotool =
                startXdotool(QStringLiteral("search --all --onlyvisible ") + conditions);
            static_cast<void>(xdotool->waitForExitSuccess());  // a failure when it finds none
            found = xdotool->lines();
            return found.size() == count;
        };
        return QTest::qWaitFor(search, RunningProgram::patienceMs)
                   ? found.value(0, QStringLiteral(""))
                   : QString();
    }

    // Opens a test window of this class and gives it the focus once shown.
    QString openWindow(const QString& windowClass) {
        windows_.push_back(
            std::make_unique<TestWindow>(QStringLiteral(THRUMWISE_TEST_WINDOW), environment(),
                                         QStringList{QStringLiteral("--class"), windowClass}));
        const QString window = waitForWindows(QStringLiteral("--class ^%1$").arg(windowClass));
        return focus(window) ? window : QString();
    }
    bool xdotool(const QString& command) const {
        return startXdotool(command)->waitForExitSuccess();
    }
    // Input that goes on beside other input: the caller waits for its end.
    std::unique_ptr<RunningProgram> startXdotool(const QString& command) const {
        return std::make_unique<RunningProgram>(QStringLiteral("xdotool"), command.split(u' '),
                                                server_.clientEnvironment());
    }
    bool focus(const QString& window) const {
        return !window.isEmpty() &&
               xdotool(QStringLiteral("windowactivate --sync %1 mousemove --window %1 100 100")
                           .arg(window));
    }

private:
    QProcessEnvironment environment() const {
        QProcessEnvironment variables = server_.clientEnvironment();
        variables.insert(QStringLiteral("HOME"), home_.path());
        variables.insert(QStringLiteral("XDG_CONFIG_HOME"), home("config"));
        variables.insert(QStringLiteral("XDG_DATA_HOME"), home("data"));
        variables.insert(QStringLiteral("XDG_RUNTIME_DIR"), home("runtime"));
        variables.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                         QStringLiteral("unix:path=") + home("no-bus"));
        variables.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        variables.remove(QStringLiteral("WAYLAND_DISPLAY"));
        return variables;
    }

    XvfbServer server_;
    QTemporaryDir home_;
    RefusingPort closedPort_;  // no update check leaves the machine
    std::optional<SimulatorProcess> plugin_;
    std::optional<SimulatorProcess> companion_;
    std::vector<std::unique_ptr<TestWindow>> windows_;
};

}  // namespace thrumwise::test
