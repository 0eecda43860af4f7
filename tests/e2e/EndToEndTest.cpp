// The real thrumwise program on a private X display with a window manager and
// a tray, talking to the plug-in and companion simulators, driven by xdotool
// the way a player's keyboard and mouse would drive it. Each class's rules are
// its own suite's; here only what takes the whole program.
#include "model/ProfileCoding.h"
#include "support/LoopbackHttpServer.h"
#include "support/SampleProfiles.h"
#include "support/SimulatorProcess.h"
#include "support/TestWindow.h"
#include "support/XvfbServer.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

using namespace thrumwise;

namespace {

constexpr auto kGameActivated =
    QLatin1String("[AppMonitor] Activated profile: E2E Game for ThrumwiseE2EGame");
constexpr auto kNoActiveProfile = QLatin1String("[TriggerEngine] blocked: no active profile");

QStringList words(const QString& text) {
    return text.split(QLatin1Char(' '));
}

QByteArray gameProfile(std::vector<KeyMapping> mappings, bool blockPressmint = false) {
    GameProfile game = test::profile("GAME", "E2E Game", "ThrumwiseE2EGame", std::move(mappings));
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
                               test::RunningProgram::patienceMs);
    }

    QString home(const char* path) const { return home_.filePath(QString::fromUtf8(path)); }
    test::RunningProgram& companion() { return companion_->program(); }
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

    std::unique_ptr<test::RunningProgram> startThrumwise() const {
        QProcessEnvironment variables = environment();
        variables.insert(QStringLiteral("THRUMWISE_PLUGIN_PORT"), QString::number(plugin_->port()));
        variables.insert(QStringLiteral("THRUMWISE_COMPANION_PORT"),
                         QString::number(companion_->port()));
        variables.insert(QStringLiteral("THRUMWISE_UPDATE_URL"), updateUrl);
        return std::make_unique<test::RunningProgram>(QStringLiteral(THRUMWISE_APP), QStringList(),
                                                      variables);
    }
    // (Re)starts Thrumwise and waits until it watches the focus and shows its
    // main window, so that the window cannot take the focus from a game later.
    bool launch(std::unique_ptr<test::RunningProgram>& app) const {
        app.reset();
        app = startThrumwise();
        return app->waitForLines(QStringLiteral("[AppMonitor] Started monitoring")) &&
               QTest::qWaitFor([&] { return windows(mainWindowOf(*app)) == 1; },
                               test::RunningProgram::patienceMs);
    }
    static QString ownedBy(const test::RunningProgram& app) {
        return QStringLiteral("--pid %1 ").arg(app.processId());
    }
    static QString mainWindowOf(const test::RunningProgram& app) {
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
        windows_.push_back(std::make_unique<test::TestWindow>(
            QStringLiteral(THRUMWISE_TEST_WINDOW), environment(),
            QStringList{QStringLiteral("--class"), windowClass}));
        const QString sameClass = QStringLiteral("--class ^%1$").arg(windowClass);
        const bool shown = QTest::qWaitFor([&] { return windows(sameClass) == 1; },
                                           test::RunningProgram::patienceMs);
        return shown && focus(firstWindow(sameClass)) ? firstWindow(sameClass) : QString();
    }
    bool xdotool(const QString& command) const {
        return server_.run(QStringLiteral("xdotool"), words(command));
    }
    // Gives the keyboard to Thrumwise's main window.
    bool focusMainWindow(const test::RunningProgram& app) const {
        return focus(firstWindow(mainWindowOf(app)));
    }
    // Waits for a window of Thrumwise with this title, and returns it.
    QString waitForWindow(const test::RunningProgram& app, QString title) const {
        const QString conditions =
            ownedBy(app) + QStringLiteral("--name ^%1$").arg(title.replace(u' ', u'.'));
        const bool shown = QTest::qWaitFor([&] { return windows(conditions) == 1; },
                                           test::RunningProgram::patienceMs);
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
    bool toggleHapticsFromTray(const test::RunningProgram& app) const {
        const QString untitled = ownedBy(app) + QStringLiteral("--name ^$");
        const auto shownAre = [&](int count) {
            return QTest::qWaitFor([&] { return windows(untitled) == count; },
                                   test::RunningProgram::patienceMs);
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

    test::XvfbServer server_;
    QTemporaryDir home_;
    test::RefusingPort closedPort_;
    std::optional<test::RunningProgram> trayer_;
    std::optional<test::SimulatorProcess> plugin_;
    std::optional<test::SimulatorProcess> companion_;
    std::vector<std::unique_ptr<test::TestWindow>> windows_;
};

// Verifies, and on failure shows what the program printed.
#define VERIFY_SEEN(program, condition) QVERIFY2(condition, qPrintable((program).transcript()))

}  // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pressesAndClicksReachThePluginWhileTheGameIsFocused() {
        Stage stage;
        QVERIFY(stage.start());
        QVERIFY(stage.writeProfiles(
            gameProfile({test::keyMapping("SPACE", 49, "sharp_collision"),
                         test::mouseMapping("L", MouseButton::left, "knock")})));
        const QString game = stage.openWindow(QStringLiteral("ThrumwiseE2EGame"));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(!game.isEmpty() && stage.launch(app) && stage.focus(game));
        VERIFY_SEEN(*app, app->waitForLines(kGameActivated));
        QVERIFY(stage.xdotool(QStringLiteral("key space click 1")));
        QTRY_COMPARE(stage.effects(),
                     (QStringList{QStringLiteral("knock"), QStringLiteral("sharp_collision")}));
    }

    void focusingTheGameBlocksItAtTheCompanionAndLeavingUnblocks() {
        Stage stage;
        QVERIFY(stage.start() && stage.writeProfiles(gameProfile({}, true)));
        const QString game = stage.openWindow(QStringLiteral("ThrumwiseE2EGame"));
        const QString other = stage.openWindow(QStringLiteral("ThrumwiseE2EOther"));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(!game.isEmpty() && !other.isEmpty() && stage.launch(app));
        test::RunningProgram& companion = stage.companion();
        QVERIFY(stage.focus(game));
        VERIFY_SEEN(companion, companion.waitForLines(QStringLiteral(
                                   " block ThrumwiseE2EGame | blocked: ThrumwiseE2EGame")));
        QVERIFY(stage.focus(other));
        VERIFY_SEEN(companion, companion.waitForLines(
                                   QStringLiteral(" unblock ThrumwiseE2EGame | blocked: (none)")));
        QCOMPARE(companion.lines().size(), qsizetype{3});  // after "listening on"
    }

    // A click tells whether the switch is on: when it is, only a profile is missing.
    void switchingHapticsOffInTheTrayLastsAcrossRestarts() {
        Stage stage;
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(stage.start() && stage.launch(app) && stage.click());
        VERIFY_SEEN(*app, app->waitForLines(kNoActiveProfile));
        VERIFY_SEEN(*app, stage.toggleHapticsFromTray(*app));
        QTRY_COMPARE(QSettings(stage.home("config/Thrumwise/Thrumwise.conf"), QSettings::IniFormat)
                         .value(QStringLiteral("isEnabled"))
                         .toString(),
                     QStringLiteral("false"));
        QVERIFY(stage.launch(app) && stage.click());
        VERIFY_SEEN(*app,
                    app->waitForLines(QStringLiteral("[TriggerEngine] blocked: isEnabled=false")));
    }

    // The window is closed the way a user closes it; the program stays in the tray.
    void aSecondLaunchShowsTheFirstCopyAndExits() {
        Stage stage;
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(stage.start() && stage.launch(app));
        QVERIFY(stage.focus(stage.firstWindow(Stage::mainWindowOf(*app))));
        QVERIFY(stage.xdotool(QStringLiteral("key alt+F4")));
        QTRY_COMPARE(stage.windows(Stage::mainWindowOf(*app)), 0);
        const auto second = stage.startThrumwise();
        VERIFY_SEEN(*second, second->waitForExitSuccess() && second->lines().isEmpty());
        QTRY_COMPARE(stage.windows(Stage::mainWindowOf(*app)), 1);
        QVERIFY(app->isRunning());
    }

    // Only the keyboard, as a player without a mouse edits: Space picks the
    // first profile, F2 selects its name, and the first mapping's delete
    // button is seven stops on.
    void aProfileRenamedAndAMappingDeletedInTheWindowAreSavedAndObeyed() {
        Stage stage;
        QVERIFY(stage.start());
        QVERIFY(
            stage.writeProfiles(gameProfile({test::keyMapping("A", 0, "knock"),
                                             test::keyMapping("SPACE", 49, "sharp_collision")})));
        const QString game = stage.openWindow(QStringLiteral("ThrumwiseE2EGame"));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(!game.isEmpty() && stage.launch(app) && stage.focusMainWindow(*app));
        QVERIFY(stage.xdotool(QStringLiteral("key space F2")) &&
                stage.xdotool(QStringLiteral("type Renamed")));
        QVERIFY(stage.xdotool(QStringLiteral("key Tab Tab Tab Tab Tab Tab Tab space")));
        QTRY_VERIFY(stage.savedProfiles().size() == 1 &&
                    stage.savedProfiles().front().displayName == "Renamed" &&
                    stage.savedProfiles().front().mappings.size() == 1);
        QCOMPARE(stage.savedProfiles().front().mappings.front().id, std::string("SPACE"));
        QVERIFY(stage.focus(game));
        VERIFY_SEEN(*app, app->waitForLines(QStringLiteral(
                              "[AppMonitor] Activated profile: Renamed for ThrumwiseE2EGame")));
        QVERIFY(stage.xdotool(QStringLiteral("key a space")));
        QTRY_COMPARE(stage.effects(), QStringList{QStringLiteral("sharp_collision")});
        QTest::qWait(300);  // a trigger for the deleted mapping would have come by now
        QCOMPARE(stage.effects(), QStringList{QStringLiteral("sharp_collision")});
    }

    // The sheet opens five stops after the name field; its capture button and
    // its size are fixed, so a click at that place arms the capture.
    void aKeyCapturedInTheMappingSheetFiresAtThePlugin() {
        Stage stage;
        QVERIFY(stage.start() && stage.writeProfiles(gameProfile({})));
        const QString game = stage.openWindow(QStringLiteral("ThrumwiseE2EGame"));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(!game.isEmpty() && stage.launch(app) && stage.focusMainWindow(*app));
        QVERIFY(stage.xdotool(QStringLiteral("key space F2 Tab Tab Tab Tab Tab space")));
        const QString sheet = stage.waitForWindow(*app, QStringLiteral("Add Mapping"));
        QVERIFY(!sheet.isEmpty());
        QVERIFY(stage.xdotool(QStringLiteral("mousemove --window %1 250 146 click 1").arg(sheet)));
        QVERIFY(stage.xdotool(QStringLiteral("key x")));
        QVERIFY(stage.xdotool(QStringLiteral("key Return")));
        QTRY_VERIFY(!stage.savedProfiles().empty() &&
                    stage.savedProfiles().front().mappings.size() == 1);
        const KeyMapping saved = stage.savedProfiles().front().mappings.front();
        QCOMPARE(saved.keyCode, std::optional<std::uint16_t>(7));  // X on a Mac keyboard
        QCOMPARE(saved.keyName, std::optional<std::string>("X"));
        QVERIFY(stage.focus(game));
        VERIFY_SEEN(*app, app->waitForLines(kGameActivated));
        QVERIFY(stage.xdotool(QStringLiteral("key x")));
        QTRY_COMPARE(stage.effects(), QStringList{QString::fromStdString(saved.hapticPattern)});
    }

    // A Steam game found in the library becomes a profile through the
    // add-profile sheet, and is active when its window is.
    void aSteamGamePickedInTheAddProfileSheetBecomesTheActiveProfile() {
        Stage stage;
        QVERIFY(stage.start() && stage.writeProfiles(gameProfile({})));
        QVERIFY(stage.writeFile("data/applications/notes.desktop",
                                "[Desktop Entry]\nType=Application\nName=Notes\nExec=true\n"));
        QVERIFY(stage.writeFile(".local/share/Steam/steamapps/appmanifest_4242.acf",
                                "\"AppState\"\n{\n\t\"appid\"\t\"4242\"\n"
                                "\t\"name\"\t\"Orbital Drift\"\n}\n"));
        const QString steamGame = stage.openWindow(QStringLiteral("steam_app_4242"));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(!steamGame.isEmpty() && stage.launch(app) && stage.focusMainWindow(*app));
        QVERIFY(stage.xdotool(QStringLiteral("key Tab space")));
        const QString sheet = stage.waitForWindow(*app, QStringLiteral("Add Game Profile"));
        QVERIFY(!sheet.isEmpty());
        QVERIFY(stage.xdotool(QStringLiteral("mousemove --window %1 250 78 click 1").arg(sheet)));
        QVERIFY(stage.xdotool(QStringLiteral("type orbital")));
        const auto added = [&] {
            const auto saved = stage.savedProfiles();
            return std::any_of(saved.begin(), saved.end(), [](const GameProfile& profile) {
                return profile.displayName == "Orbital Drift" &&
                       profile.bundleId == "steam_app_4242";
            });
        };
        // The list fills when the scan, which runs off the window's thread, is done.
        const QString firstRow = QStringLiteral("mousemove --window %1 200 150 click 1").arg(sheet);
        QVERIFY(QTest::qWaitFor([&] {
            return stage.xdotool(firstRow) && stage.xdotool(QStringLiteral("key Return")) &&
                   QTest::qWaitFor(added, 500);
        }));
        QVERIFY(stage.focus(steamGame));
        VERIFY_SEEN(*app, app->waitForLines(QStringLiteral(
                              "[AppMonitor] Activated profile: Orbital Drift for steam_app_4242")));
    }

    // A torn write: a valid file cut short, whose mapping must not come alive.
    void anUnreadableProfilesFileIsKeptAsideAndNothingFires() {
        Stage stage;
        const QByteArray torn =
            gameProfile({test::mouseMapping("L", MouseButton::left, "knock")}).chopped(200);
        QVERIFY(stage.start() && stage.writeProfiles(torn));
        const QString game = stage.openWindow(QStringLiteral("ThrumwiseE2EGame"));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(!game.isEmpty() && stage.launch(app));
        const QString moved = QStringLiteral("[ProfileManager] Moved unreadable profiles file to ");
        VERIFY_SEEN(*app, app->waitForLines(moved));
        const QFileInfo keptAt(app->linesContaining(moved).constFirst().section(moved, 1));
        QCOMPARE(keptAt.absolutePath(), stage.home("data/Thrumwise"));
        QCOMPARE(keptAt.size(), qint64{torn.size()});
        QVERIFY(stage.focus(game) && stage.xdotool(QStringLiteral("click 1")));
        VERIFY_SEEN(*app, app->waitForLines(kNoActiveProfile));
        QVERIFY(app->linesContaining(QStringLiteral("[TriggerEngine] firing")).isEmpty());
    }

    // The alert's text is painted, not published: a picture shows it. Escape is "Later".
    void anAvailableUpdateIsOfferedAndLaterKeepsRunning() {
        test::LoopbackHttpServer updates;
        updates.setReply("/check-update",
                         test::LoopbackHttpServer::Reply::answer(
                             200, R"({"success":true,"update_available":true,"force_update":false,)"
                                  R"("latest_version":"9.9.9","release_notes":"Notes"})"));
        Stage stage;
        QVERIFY(stage.start());
        stage.updateUrl = QString::fromStdString(updates.url(""));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(stage.launch(app));
        const QString alert = Stage::ownedBy(*app) + QStringLiteral("--name ^Update.Available$");
        QTRY_COMPARE(stage.windows(alert), 1);
        QCOMPARE(updates.requests().at(0).body,
                 std::string(R"({"current_version":")" THRUMWISE_VERSION R"("})"));
        const QString picture =
            QDir(QStringLiteral(THRUMWISE_E2E_OUTPUT)).filePath(QStringLiteral("update-alert.png"));
        QFile::remove(picture);
        QVERIFY(stage.screenshot(picture) && QFileInfo(picture).size() > 0);
        QVERIFY(stage.focus(stage.firstWindow(alert)));
        QVERIFY(stage.xdotool(QStringLiteral("key Escape")));
        QTRY_COMPARE(stage.windows(alert), 0);
        QVERIFY(app->isRunning());
        QCOMPARE(updates.requests().size(), std::size_t{1});
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
