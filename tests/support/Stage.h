#pragma once

// Its users build with THRUMWISE_APP and the other programs' paths defined.
#include "model/ProfileCoding.h"
#include "support/Files.h"
#include "support/LoopbackHttpServer.h"
#include "support/SampleProfiles.h"
#include "support/XvfbServer.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

// Verifies, and on failure shows what the program printed.
#define VERIFY_SEEN(program, condition) QVERIFY2(condition, qPrintable((program).transcript()))

namespace thrumwise::test {

// One player's machine: a private display with openbox, both simulators, a
// throw-away home so that the user's own files and running copies are never
// touched, and game windows. The display ends last.
class Stage {
public:
    bool start() {
        if (!home_.isValid() || !runtime_.isValid() || !server_.start() ||
            !server_.startWindowManager()) {
            return false;
        }
        environment_ = server_.clientEnvironment();
        environment_.insert(QStringLiteral("HOME"), home_.path());
        environment_.insert(QStringLiteral("XDG_CONFIG_HOME"), home("config"));
        environment_.insert(QStringLiteral("XDG_DATA_HOME"), home("data"));
        environment_.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        environment_.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                            QStringLiteral("unix:path=") + home("no-bus"));
        environment_.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // No update check leaves the machine.
        environment_.insert(QStringLiteral("THRUMWISE_UPDATE_URL"),
                            QStringLiteral("http://127.0.0.1:%1").arg(closedPort_.port()));
        environment_.remove(QStringLiteral("WAYLAND_DISPLAY"));
        plugin_.emplace(QStringLiteral(THRUMWISE_PLUGIN_SIM), kOnAFreePort, environment_);
        companion_.emplace(QStringLiteral(THRUMWISE_COMPANION_SIM), kOnAFreePort, environment_);
        return tellPort(*plugin_, "THRUMWISE_PLUGIN_PORT") &&
               tellPort(*companion_, "THRUMWISE_COMPANION_PORT");
    }

    // The effects the plug-in was asked to play, sorted: each travels on its own.
    QStringList effects() {
        QStringList found = plugin_->linesContaining(QStringLiteral(" effect "));
        found.replaceInStrings(QRegularExpression(QStringLiteral("^.* effect ")), QString());
        found.sort();
        return found;
    }
    bool writeFile(const char* path, const QByteArray& bytes) const {
        return test::writeFile(home(path), bytes);
    }
    // One profile, for the game window's class.
    bool writeProfiles(std::vector<KeyMapping> mappings) const {
        return writeFile(kProfiles,
                         QByteArray::fromStdString(encodeProfiles({profile(
                             "GAME", "E2E Game", "ThrumwiseE2EGame", std::move(mappings))})));
    }
    // Saved by renaming a whole file, so never read half-written.
    std::vector<GameProfile> savedProfiles() const {
        QFile file(home(kProfiles));
        return file.open(QIODevice::ReadOnly) ? decodeProfiles(file.readAll().toStdString())
                                              : std::vector<GameProfile>();
    }

    std::unique_ptr<RunningProgram> startThrumwise() const {
        return std::make_unique<RunningProgram>(QStringLiteral(THRUMWISE_APP), QStringList(),
                                                environment_);
    }
    // Until it watches the focus and shows its main window, which must not take the focus later.
    bool launch(std::unique_ptr<RunningProgram>& app) const {
        app = startThrumwise();
        return app->waitForLines(QStringLiteral("[AppMonitor] Started monitoring")) &&
               !waitForWindow(mainWindowOf(*app)).isEmpty();
    }
    // A window of the program by its title, spaces as dots.
    static QString mainWindowOf(const RunningProgram& app,
                                const QString& title = QStringLiteral("Thrumwise")) {
        return QStringLiteral("--pid %1 --name ^%2$").arg(app.processId()).arg(title);
    }

    // The first visible window that meets every condition; empty when none comes.
    QString waitForWindow(const QString& conditions) const {
        QString found;
        static_cast<void>(QTest::qWaitFor(
            [&] {
                const auto search =
                    startXdotool(QStringLiteral("search --all --onlyvisible ") + conditions);
                static_cast<void>(search->waitForExitSuccess());  // a failure when it finds none
                return !(found = search->lines().value(0)).isEmpty();
            },
            RunningProgram::patienceMs));
        return found;
    }

    // Opens a test window of this class and gives it the focus once shown.
    QString openWindow(const QString& windowClass) {
        windows_.push_back(std::make_unique<RunningProgram>(
            QStringLiteral(THRUMWISE_TEST_WINDOW),
            QStringList{QStringLiteral("--class"), windowClass}, environment_));
        const QString window = waitForWindow(QStringLiteral("--class ^%1$").arg(windowClass));
        return focus(window) ? window : QString();
    }
    bool xdotool(const QString& command) const {
        return startXdotool(command)->waitForExitSuccess();
    }
    // Input that goes on beside other input: the caller waits for its end.
    std::unique_ptr<RunningProgram> startXdotool(const QString& command) const {
        return std::make_unique<RunningProgram>(QStringLiteral("xdotool"), command.split(u' '),
                                                environment_);
    }
    bool focus(const QString& window) const {
        return !window.isEmpty() &&
               xdotool(QStringLiteral("windowactivate --sync %1 mousemove --window %1 100 100")
                           .arg(window));
    }

private:
    static constexpr const char* kProfiles = "data/Thrumwise/profiles.json";
    inline static const QStringList kOnAFreePort{QStringLiteral("--port"), QStringLiteral("0")};

    QString home(const char* path) const { return home_.filePath(QString::fromUtf8(path)); }
    // A simulator's first line tells its port.
    bool tellPort(RunningProgram& simulator, const char* variable) {
        simulator.waitForLines(QStringLiteral(" listening on http://127.0.0.1:"));
        const QString port = simulator.lines().value(0).trimmed().section(u':', -1);
        environment_.insert(QString::fromUtf8(variable), port);
        return port.toUShort() != 0;
    }

    XvfbServer server_;
    QTemporaryDir home_;
    QTemporaryDir runtime_;  // Qt refuses a runtime folder that others may enter
    RefusingPort closedPort_;
    QProcessEnvironment environment_;
    std::optional<RunningProgram> plugin_;
    std::optional<RunningProgram> companion_;
    std::vector<std::unique_ptr<RunningProgram>> windows_;
};

}  // namespace thrumwise::test
