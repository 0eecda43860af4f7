#pragma once

// The suites that run the real program build with the paths of the programs
// they start: THRUMWISE_APP, THRUMWISE_PLUGIN_SIM, THRUMWISE_COMPANION_SIM and
// THRUMWISE_TEST_WINDOW.
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

inline constexpr auto kGameActivated =
    QLatin1String("[AppMonitor] Activated profile: E2E Game for ThrumwiseE2EGame");
inline constexpr auto kNoActiveProfile =
    QLatin1String("[TriggerEngine] blocked: no active profile");

inline QStringList words(const QString& text) {
    return text.split(QLatin1Char(' '));
}

inline QByteArray gameProfile(std::vector<KeyMapping> mappings, bool blockPressmint = false) {
    GameProfile game = profile("GAME", "E2E Game", "ThrumwiseE2EGame", std::move(mappings));
    game.blockPressmint = blockPressmint;
    return QByteArray::fromStdString(encodeProfiles({game}));
}

// One player's machine: a private display with openbox and an XEmbed tray
// (trayer), both simulators on free ports, a throw-away home so that the
// user's own files and running copies are never touched, and game windows.
// Everything it started ends with it, the display last.
class Stage {
public:
    QString updateUrl;  // nothing listens there unless a test says so

    bool start() {
        if (!home_.isValid() || !server_.start() || !server_.startWindowManager() ||
            !QDir().mkpath(home("data/Thrumwise")) || !QDir().mkpath(home("runtime"))) {
            return false;
        }
        // Qt refuses a runtime folder that others may enter.
        QFile::setPermissions(home("runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        updateUrl = QStringLiteral("http://127.0.0.1:%1").arg(closedPort_.port());
        trayer_.emplace(QStringLiteral("trayer"),
                        words(QStringLiteral("--edge top --align left --widthtype request "
                                             "--height 24 --SetDockType true")),
                        environment());
        plugin_.emplace(QStringLiteral(THRUMWISE_PLUGIN_SIM), environment());
        companion_.emplace(QStringLiteral(THRUMWISE_COMPANION_SIM), environment());
        // Qt docks its icon also when the tray comes up after it.
        return plugin_->port() != 0 && companion_->port() != 0 &&
               QTest::qWaitFor([&] { return windows(QStringLiteral("--class ^trayer$")) > 0; },
                               RunningProgram::patienceMs);
    }

    QString home(const char* path) const { return home_.filePath(QString::fromUtf8(path)); }
    RunningProgram& companion() { return companion_->program(); }
    std::uint16_t pluginPort() const { return plugin_->port(); }
    // The effects the plug-in was asked to play, sorted: each travels on its own.
    QStringList effects() {
        QStringList found;
        for (const QString& line : plugin_->program().linesContaining(QStringLiteral(" effect "))) {
            found << line.section(QStringLiteral(" effect "), 1);
        }
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
    // What the program saved; nothing when the file is missing or unreadable.
    std::vector<GameProfile> savedProfiles() const {
        QFile file(home("data/Thrumwise/profiles.json"));
        try {
            return file.open(QIODevice::ReadOnly) ? decodeProfiles(file.readAll().toStdString())
                                                  : std::vector<GameProfile>();
        } catch (const ProfileCodingError&) {
            return {};
        }
    }

    std::unique_ptr<RunningProgram> startThrumwise() const {
        QProcessEnvironment variables = environment();
        variables.insert(QStringLiteral("THRUMWISE_PLUGIN_PORT"), QString::number(plugin_->port()));
        variables.insert(QStringLiteral("THRUMWISE_COMPANION_PORT"),
                         QString::number(companion_->port()));
        variables.insert(QStringLiteral("THRUMWISE_UPDATE_URL"), updateUrl);
        return std::make_unique<RunningProgram>(QStringLiteral(THRUMWISE_APP), QStringList(),
                                                variables);
    }
    // (Re)starts Thrumwise and waits until it watches the focus and shows its
    // main window, so that the window cannot take the focus from a game later.
    bool launch(std::unique_ptr<RunningProgram>& app) const {
        app.reset();
        app = startThrumwise();
        return app->waitForLines(QStringLiteral("[AppMonitor] Started monitoring")) &&
               QTest::qWaitFor([&] { return windows(mainWindowOf(*app)) == 1; },
                               RunningProgram::patienceMs);
    }
    static QString ownedBy(const RunningProgram& app) {
        return QStringLiteral("--pid %1 ").arg(app.processId());
    }
    static QString mainWindowOf(const RunningProgram& app) {
        return ownedBy(app) + QStringLiteral("--name ^Thrumwise$");
    }

    // The visible windows that meet every condition, as xdotool lists them;
    // nothing when it failed, which it says on its error output (a search that
    // finds nothing fails without a word).
    std::optional<QStringList> search(const QString& conditions) const {
        QProcess xdotool;
        xdotool.setProcessEnvironment(environment());
        xdotool.start(QStringLiteral("xdotool"),
                      words(QStringLiteral("search --all --onlyvisible ") + conditions));
        if (!xdotool.waitForFinished() || xdotool.exitStatus() != QProcess::NormalExit ||
            !xdotool.readAllStandardError().isEmpty()) {
            return std::nullopt;
        }
        return QString::fromUtf8(xdotool.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }
    int windows(const QString& conditions) const {
        const auto list = search(conditions);
        return list ? static_cast<int>(list->size()) : -1;
    }
    QString firstWindow(const QString& conditions) const {
        return search(conditions).value_or(QStringList()).value(0);
    }

    // Opens a test window with the given class, and gives it the focus once the
    // window manager has shown it, so that no focus change is still on its way.
    QString openWindow(const QString& windowClass) {
        windows_.push_back(
            std::make_unique<TestWindow>(QStringLiteral(THRUMWISE_TEST_WINDOW), environment(),
                                         QStringList{QStringLiteral("--class"), windowClass}));
        const QString sameClass = QStringLiteral("--class ^%1$").arg(windowClass);
        const bool shown =
            QTest::qWaitFor([&] { return windows(sameClass) == 1; }, RunningProgram::patienceMs);
        return shown && focus(firstWindow(sameClass)) ? firstWindow(sameClass) : QString();
    }
    bool xdotool(const QString& command) const {
        return server_.run(QStringLiteral("xdotool"), words(command));
    }
    // Input that goes on beside other input: the caller waits for its end.
    std::unique_ptr<RunningProgram> startXdotool(const QString& command) const {
        return std::make_unique<RunningProgram>(QStringLiteral("xdotool"), words(command),
                                                server_.clientEnvironment());
    }
    // Gives the keyboard to Thrumwise's main window.
    bool focusMainWindow(const RunningProgram& app) const {
        return focus(firstWindow(mainWindowOf(app)));
    }
    // Waits for a window of Thrumwise with this title, and returns it.
    QString waitForWindow(const RunningProgram& app, QString title) const {
        const QString conditions =
            ownedBy(app) + QStringLiteral("--name ^%1$").arg(title.replace(u' ', u'.'));
        const bool shown =
            QTest::qWaitFor([&] { return windows(conditions) == 1; }, RunningProgram::patienceMs);
        return shown ? firstWindow(conditions) : QString();
    }
    bool focus(const QString& window) const {
        return xdotool(
            QStringLiteral("windowactivate --sync %1 mousemove --window %1 100 100").arg(window));
    }
    // On the bare desktop, away from every window.
    bool click() const { return xdotool(QStringLiteral("mousemove 1200 1000 click 1")); }

    // Flips "Enable Haptics" as a user does: a click on the tray icon opens the
    // menu, a click on its first item chooses it, and the menu closes. The icon
    // and the menu are Thrumwise's only windows without a title.
    bool toggleHapticsFromTray(const RunningProgram& app) const {
        const QString untitled = ownedBy(app) + QStringLiteral("--name ^$");
        const auto shownAre = [&](int count) {
            return QTest::qWaitFor([&] { return windows(untitled) == count; },
                                   RunningProgram::patienceMs);
        };
        if (!shownAre(1)) {
            return false;  // the icon shows once the tray has taken it in
        }
        const QString icon = firstWindow(untitled);
        if (!xdotool(QStringLiteral("mousemove --window %1 8 8 click 1").arg(icon)) ||
            !shownAre(2)) {
            return false;
        }
        QStringList menu = search(untitled).value_or(QStringList());
        menu.removeAll(icon);
        // The first item fills the top of the menu; 10 pixels down is inside it.
        return xdotool(QStringLiteral("mousemove --window %1 60 10 click 1").arg(menu.value(0))) &&
               shownAre(1);
    }

    bool screenshot(const QString& path) const {
        return server_.run(QStringLiteral("import"),
                           {QStringLiteral("-window"), QStringLiteral("root"), path});
    }

private:
    QProcessEnvironment environment() const {
        QProcessEnvironment variables = server_.clientEnvironment();
        variables.insert(QStringLiteral("HOME"), home_.path());
        variables.insert(QStringLiteral("XDG_CONFIG_HOME"), home("config"));
        variables.insert(QStringLiteral("XDG_DATA_HOME"), home("data"));
        variables.insert(QStringLiteral("XDG_RUNTIME_DIR"), home("runtime"));
        variables.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        variables.remove(QStringLiteral("WAYLAND_DISPLAY"));
        // No session bus: Qt then docks its icon in the XEmbed tray.
        variables.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                         QStringLiteral("unix:path=") + home("no-bus"));
        return variables;
    }

    XvfbServer server_;
    QTemporaryDir home_;
    RefusingPort closedPort_;
    std::optional<RunningProgram> trayer_;
    std::optional<SimulatorProcess> plugin_;
    std::optional<SimulatorProcess> companion_;
    std::vector<std::unique_ptr<TestWindow>> windows_;
};

}  // namespace thrumwise::test
