// The real thrumwise program on a private X display with a window manager and
// a tray, talking to the plug-in and companion simulators, driven by xdotool
// the way a player's keyboard and mouse would drive it.
#include "model/ProfileCoding.h"
#include "support/LoopbackHttpServer.h"
#include "support/RunningProgram.h"
#include "support/SampleProfiles.h"
#include "support/SimulatorProcess.h"
#include "support/TestWindow.h"
#include "support/XvfbServer.h"

#include <memory>
#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;

namespace {

constexpr std::uint16_t kSpaceKey = 49;  // the macOS virtual key code, as profiles store it

constexpr auto kGameClass = QLatin1String("ThrumwiseE2EGame");
constexpr auto kOtherClass = QLatin1String("ThrumwiseE2EOther");

constexpr auto kAppReady = QLatin1String("[AppMonitor] Started monitoring frontmost application");
constexpr auto kGameActivated =
    QLatin1String("[AppMonitor] Activated profile: E2E Game for ThrumwiseE2EGame");
constexpr auto kOtherHasNoProfile = QLatin1String("[AppMonitor] No profile for: ThrumwiseE2EOther");
constexpr auto kFiring = QLatin1String("[TriggerEngine] firing ");
constexpr auto kNoActiveProfile = QLatin1String("[TriggerEngine] blocked: no active profile");
constexpr auto kSwitchedOff = QLatin1String("[TriggerEngine] blocked: isEnabled=false");
constexpr auto kRightUnmapped =
    QLatin1String("[TriggerEngine] no mapping for right in profile 'E2E Game'");
constexpr auto kBlocked = QLatin1String(" block ThrumwiseE2EGame | blocked: ThrumwiseE2EGame");
constexpr auto kUnblocked = QLatin1String(" unblock ThrumwiseE2EGame | blocked: (none)");

constexpr int kPatienceMs = 10000;

// Arguments written as one text, split at spaces.
QStringList words(const QString& text) {
    return text.split(QLatin1Char(' '));
}

GameProfile gameProfile(std::vector<KeyMapping> mappings, bool blockPressmint = false) {
    GameProfile game =
        test::profile("E2E-GAME", "E2E Game", kGameClass.latin1(), std::move(mappings));
    game.blockPressmint = blockPressmint;
    return game;
}

std::vector<GameProfile> spaceFiresSharpCollision() {
    return {gameProfile({test::keyMapping("SPACE", kSpaceKey, "sharp_collision")})};
}

// What the lines that hold `marker` say after it, in order.
QStringList after(const QStringList& lines, const QString& marker) {
    QStringList found;
    for (const QString& line : lines) {
        const qsizetype at = line.indexOf(marker);
        if (at >= 0) {
            found << line.mid(at + marker.size());
        }
    }
    return found;
}

QStringList sorted(QStringList list) {
    list.sort();
    return list;
}

// The number of windows found, or -1 when the search failed.
qsizetype count(const std::optional<QStringList>& windows) {
    return windows ? windows->size() : -1;
}

// One player's machine: a private display with openbox and an XEmbed tray
// (trayer), the plug-in and companion simulators on free ports, a temporary
// home and the game windows. Everything it started ends with it, in reverse
// order, the display last.
class Stage {
public:
    // Thrumwise asks this address for updates; by default nothing listens there.
    QString updateUrl;

    bool start() {
        if (!makeHome() || !server_.start() || !server_.startWindowManager()) {
            return false;
        }
        updateUrl = QStringLiteral("http://127.0.0.1:%1").arg(closedPort_.port());
        trayer_ = std::make_unique<test::RunningProgram>(
            QStringLiteral("trayer"),
            words(QStringLiteral(
                "--edge top --align left --widthtype request --height 24 --SetDockType true")),
            clientEnvironment());
        plugin_ = std::make_unique<test::SimulatorProcess>(QString::fromUtf8(THRUMWISE_PLUGIN_SIM),
                                                           clientEnvironment());
        companion_ = std::make_unique<test::SimulatorProcess>(
            QString::fromUtf8(THRUMWISE_COMPANION_SIM), clientEnvironment());
        // Qt docks its icon also when the tray comes up after it, so the
        // panel being there is all that is needed.
        const QStringList trayPanel = words(QStringLiteral("--class ^trayer$"));
        return plugin_->port() != 0 && companion_->port() != 0 &&
               QTest::qWaitFor([&] { return count(windows(trayPanel)) > 0; }, kPatienceMs);
    }

    // Where Thrumwise keeps its profiles and its settings under the stage's home.
    QString profilesFile() const { return homePath("data/Thrumwise/profiles.json"); }
    QString settingsFile() const { return homePath("config/Thrumwise/Thrumwise.conf"); }

    test::RunningProgram& plugin() { return plugin_->program(); }
    test::RunningProgram& companion() { return companion_->program(); }

    // The effects the plug-in was asked to play, in the order they arrived.
    QStringList effects() { return after(plugin().lines(), QStringLiteral(" effect ")); }

    bool writeProfiles(const std::vector<GameProfile>& profiles) const {
        return writeFile(profilesFile(), QByteArray::fromStdString(encodeProfiles(profiles)));
    }

    static bool writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    // Starts a copy of Thrumwise under this home, without waiting for it.
    std::unique_ptr<test::RunningProgram> startThrumwise() const {
        QProcessEnvironment environment = clientEnvironment();
        environment.insert(QStringLiteral("THRUMWISE_PLUGIN_PORT"),
                           QString::number(plugin_->port()));
        environment.insert(QStringLiteral("THRUMWISE_COMPANION_PORT"),
                           QString::number(companion_->port()));
        environment.insert(QStringLiteral("THRUMWISE_UPDATE_URL"), updateUrl);
        return std::make_unique<test::RunningProgram>(QString::fromUtf8(THRUMWISE_APP),
                                                      QStringList(), environment);
    }

    // (Re)starts Thrumwise and waits until it watches input and shows its main
    // window, so that the window cannot take the focus from a game later.
    bool launch(std::unique_ptr<test::RunningProgram>& app) const {
        app.reset();
        app = startThrumwise();
        return app->waitForLines(kAppReady) &&
               QTest::qWaitFor([&] { return count(mainWindow(*app)) == 1; }, kPatienceMs);
    }

    std::optional<QStringList> mainWindow(const test::RunningProgram& app) const {
        return windows(ownedBy(app) + words(QStringLiteral("--name ^Thrumwise$")));
    }

    // The condition for the windows of one program.
    static QStringList ownedBy(const test::RunningProgram& program) {
        return {QStringLiteral("--pid"), QString::number(program.processId())};
    }

    // The visible windows that meet every condition, as xdotool search takes them.
    std::optional<QStringList> windows(const QStringList& conditions) const {
        return ask(words(QStringLiteral("search --all --onlyvisible")) + conditions);
    }

    std::optional<QStringList> activeWindowName() const {
        return ask(words(QStringLiteral("getactivewindow getwindowname")));
    }

    // Opens a test window with the given class and gives back its id once
    // the window manager has shown it and given it the focus, so that no
    // focus change is still on its way when a test starts Thrumwise.
    QString openWindow(QLatin1String windowClass) {
        windows_.push_back(std::make_unique<test::TestWindow>(
            QString::fromUtf8(THRUMWISE_TEST_WINDOW), clientEnvironment(),
            QStringList{QStringLiteral("--class"), windowClass}));
        const QStringList sameClass{QStringLiteral("--class"),
                                    QStringLiteral("^%1$").arg(windowClass)};
        std::optional<QStringList> shown;
        const bool isShown =
            QTest::qWaitFor([&] { return count(shown = windows(sameClass)) == 1; }, kPatienceMs);
        return isShown && focus(shown->constFirst()) ? shown->constFirst() : QString();
    }

    bool xdotool(const QString& command) const {
        return server_.run(QStringLiteral("xdotool"), words(command));
    }

    // Gives the window the focus, puts the pointer on it and waits until the
    // window manager has made it the active one.
    bool focus(const QString& window) const {
        return xdotool(
            QStringLiteral("windowactivate --sync %1 mousemove --window %1 100 100").arg(window));
    }

    // Flips "Enable Haptics" as a user does: a click on the tray icon opens
    // the menu, a click on its first item chooses it, and the menu closes.
    bool toggleHapticsFromTray(const test::RunningProgram& app) const {
        // The tray icon and the menu are Thrumwise's only windows without a title.
        const QStringList untitled = ownedBy(app) + words(QStringLiteral("--name ^$"));
        std::optional<QStringList> shown;
        // The icon is visible only once the tray has taken it in.
        if (!QTest::qWaitFor([&] { return count(shown = windows(untitled)) == 1; }, kPatienceMs)) {
            return false;
        }
        const QString icon = shown->constFirst();
        if (!xdotool(QStringLiteral("mousemove --window %1 8 8 click 1").arg(icon)) ||
            !QTest::qWaitFor([&] { return count(shown = windows(untitled)) == 2; }, kPatienceMs)) {
            return false;
        }
        shown->removeAll(icon);
        // The first item fills the top of the menu; 10 pixels down is inside it.
        return xdotool(QStringLiteral("mousemove --window %1 60 10 click 1")
                           .arg(shown->constFirst())) &&
               QTest::qWaitFor([&] { return count(windows(untitled)) == 1; }, kPatienceMs);
    }

    bool screenshot(const QString& path) const {
        return server_.run(QStringLiteral("import"), words(QStringLiteral("-window root")) << path);
    }

private:
    QString homePath(const char* relative) const {
        return home_.filePath(QString::fromUtf8(relative));
    }

    // A throw-away home, so that the user's own settings, profiles and
    // running copies are never seen or touched.
    bool makeHome() const {
        return home_.isValid() && QDir().mkpath(homePath("data/Thrumwise")) &&
               QDir().mkpath(homePath("config")) && QDir().mkpath(homePath("cache")) &&
               QDir().mkpath(homePath("runtime")) &&
               // Qt refuses a runtime folder that others may enter.
               QFile::setPermissions(homePath("runtime"),
                                     QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QProcessEnvironment clientEnvironment() const {
        QProcessEnvironment environment = server_.clientEnvironment();
        environment.insert(QStringLiteral("HOME"), home_.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), homePath("config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), homePath("data"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), homePath("cache"));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), homePath("runtime"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        // No session bus: Qt then puts its icon into the XEmbed tray, and no
        // bus is started on the program's behalf.
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=%1").arg(homePath("no-bus")));
        return environment;
    }

    // xdotool's answer, line by line. Nothing when it failed, which it says on
    // its error output; a search that finds nothing fails without a word.
    std::optional<QStringList> ask(const QStringList& arguments) const {
        QProcess xdotool;
        xdotool.setProcessEnvironment(clientEnvironment());
        xdotool.start(QStringLiteral("xdotool"), arguments);
        if (!xdotool.waitForFinished(kPatienceMs) || xdotool.exitStatus() != QProcess::NormalExit ||
            !xdotool.readAllStandardError().isEmpty()) {
            return std::nullopt;
        }
        return QString::fromUtf8(xdotool.readAllStandardOutput())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    test::XvfbServer server_;
    QTemporaryDir home_;
    test::RefusingPort closedPort_;
    std::unique_ptr<test::RunningProgram> trayer_;
    std::unique_ptr<test::SimulatorProcess> plugin_;
    std::unique_ptr<test::SimulatorProcess> companion_;
    std::vector<std::unique_ptr<test::TestWindow>> windows_;
};

// Right-clicks, which no profile here maps, until the trigger engine answers
// from the game's profile. Each click gets one answer, so none is missed.
bool gameProfileAnswers(const Stage& stage, test::RunningProgram& app) {
    const QString answer = QStringLiteral("[TriggerEngine] ");
    return QTest::qWaitFor(
        [&] {
            const qsizetype answers = app.linesContaining(answer).size();
            return stage.xdotool(QStringLiteral("click 3")) &&
                   app.waitForLines(answer, static_cast<int>(answers) + 1) &&
                   app.linesContaining(answer).constLast() == kRightUnmapped;
        },
        kPatienceMs);
}

// Verifies, and on failure shows what the program printed.
#define VERIFY_SEEN(program, condition) QVERIFY2(condition, qPrintable((program).transcript()))

}  // namespace

class EndToEndTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mappedPressesFireOnlyWhileTheGameIsFocused() {
        Stage stage;
        QVERIFY(stage.start());
        QVERIFY(stage.writeProfiles(
            {gameProfile({test::keyMapping("SPACE", kSpaceKey, "sharp_collision"),
                          test::mouseMapping("LEFT", MouseButton::left, "knock")})}));
        const QString game = stage.openWindow(kGameClass);
        const QString other = stage.openWindow(kOtherClass);
        QVERIFY(!game.isEmpty() && !other.isEmpty());
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(stage.launch(app));

        QVERIFY(stage.focus(game));
        VERIFY_SEEN(*app, app->waitForLines(kGameActivated));
        // W and the right button have no mapping; the right button's line marks the end.
        QVERIFY(stage.xdotool(QStringLiteral("key space w click 1 click 3")));
        VERIFY_SEEN(*app, app->waitForLines(kRightUnmapped));
        QCOMPARE(after(app->lines(), kFiring),
                 (QStringList{QStringLiteral("sharp_collision"), QStringLiteral("knock")}));
        VERIFY_SEEN(stage.plugin(),
                    QTest::qWaitFor([&] { return stage.effects().size() >= 2; }, kPatienceMs));
        // Each trigger travels on its own, so their order of arrival is not fixed.
        QCOMPARE(sorted(stage.effects()),
                 (QStringList{QStringLiteral("knock"), QStringLiteral("sharp_collision")}));

        QVERIFY(stage.focus(other));
        VERIFY_SEEN(*app, app->waitForLines(kOtherHasNoProfile));
        QVERIFY(stage.xdotool(QStringLiteral("key space click 1")));
        VERIFY_SEEN(*app, app->waitForLines(kNoActiveProfile));
        QCOMPARE(after(app->lines(), kFiring).size(), 2);
        QCOMPARE(stage.effects().size(), 2);
    }

    void focusingTheGameBlocksItAtTheCompanionAndLeavingUnblocks() {
        Stage stage;
        QVERIFY(stage.start());
        QVERIFY(stage.writeProfiles({gameProfile({}, true)}));
        const QString game = stage.openWindow(kGameClass);
        const QString other = stage.openWindow(kOtherClass);
        QVERIFY(!game.isEmpty() && !other.isEmpty());
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(stage.launch(app));
        test::RunningProgram& companion = stage.companion();

        QVERIFY(stage.focus(game));
        VERIFY_SEEN(companion, companion.waitForLines(kBlocked));
        QVERIFY(stage.focus(other));
        VERIFY_SEEN(companion, companion.waitForLines(kUnblocked));
        QVERIFY(stage.focus(game));
        VERIFY_SEEN(companion, companion.waitForLines(kBlocked, 2));
        const QStringList requests = companion.lines().mid(1);  // after "listening on"
        QCOMPARE(requests.size(), 3);
        QVERIFY(requests[0].endsWith(kBlocked));
        QVERIFY(requests[1].endsWith(kUnblocked));
        QVERIFY(requests[2].endsWith(kBlocked));
    }

    void switchingHapticsOffInTheTrayLastsAcrossRestarts() {
        Stage stage;
        QVERIFY(stage.start());
        QVERIFY(stage.writeProfiles(spaceFiresSharpCollision()));
        const QString game = stage.openWindow(kGameClass);
        QVERIFY(!game.isEmpty());
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(stage.launch(app));
        QVERIFY(stage.focus(game));
        VERIFY_SEEN(*app, app->waitForLines(kGameActivated));
        QVERIFY(stage.xdotool(QStringLiteral("key space")));
        VERIFY_SEEN(*app, app->waitForLines(kFiring));

        const auto storedSwitch = [&stage] {
            return QSettings(stage.settingsFile(), QSettings::IniFormat)
                .value(QStringLiteral("isEnabled"))
                .toString();
        };
        VERIFY_SEEN(*app, stage.toggleHapticsFromTray(*app));
        QTRY_COMPARE(storedSwitch(), QStringLiteral("false"));
        // A mouse press says why nothing fired; the key press before it had its turn.
        QVERIFY(stage.focus(game));
        QVERIFY(stage.xdotool(QStringLiteral("key space click 1")));
        VERIFY_SEEN(*app, app->waitForLines(kSwitchedOff));
        QCOMPARE(after(app->lines(), kFiring).size(), 1);

        // Ended as a session ends it: input capture stops first, then the window poll.
        VERIFY_SEEN(*app, app->stop());
        QCOMPARE(app->lines().mid(app->lines().size() - 2),
                 (QStringList{QStringLiteral("[InputMonitor] Stopped monitoring"),
                              QStringLiteral("[AppMonitor] Stopped monitoring")}));
        QVERIFY(stage.launch(app));
        QVERIFY(stage.focus(game));
        VERIFY_SEEN(*app, app->waitForLines(kGameActivated));
        QVERIFY(stage.xdotool(QStringLiteral("key space click 1")));
        VERIFY_SEEN(*app, app->waitForLines(kSwitchedOff));
        QVERIFY(after(app->lines(), kFiring).isEmpty());

        VERIFY_SEEN(*app, stage.toggleHapticsFromTray(*app));
        QTRY_COMPARE(storedSwitch(), QStringLiteral("true"));
        QVERIFY(stage.focus(game));
        VERIFY_SEEN(*app, gameProfileAnswers(stage, *app));
        QVERIFY(stage.xdotool(QStringLiteral("key space")));
        VERIFY_SEEN(*app, app->waitForLines(kFiring));
        QTRY_COMPARE(stage.effects().size(), 2);
    }

    void aSecondLaunchShowsTheFirstCopyAndExits() {
        Stage stage;
        QVERIFY(stage.start());
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(stage.launch(app));
        const auto mainWindow = stage.mainWindow(*app);
        QCOMPARE(count(mainWindow), 1);
        // Closed the way a user closes it; the program stays in the tray.
        QVERIFY(stage.focus(mainWindow->constFirst()));
        QVERIFY(stage.xdotool(QStringLiteral("key alt+F4")));
        QTRY_COMPARE(count(stage.mainWindow(*app)), 0);

        const auto second = stage.startThrumwise();
        VERIFY_SEEN(*second, second->waitForExitSuccess());
        QVERIFY(second->lines().isEmpty());

        QTRY_COMPARE(count(stage.mainWindow(*app)), 1);
        QTRY_COMPARE(stage.activeWindowName(),
                     std::optional(QStringList{QStringLiteral("Thrumwise")}));
        QVERIFY(app->isRunning());
    }

    void anUnreadableProfilesFileIsKeptAsideAndNothingFires() {
        Stage stage;
        QVERIFY(stage.start());
        // A torn write: a valid file cut short, whose mapping must not come alive.
        const QByteArray whole = QByteArray::fromStdString(encodeProfiles(
            {gameProfile({test::mouseMapping("LEFT", MouseButton::left, "knock")})}));
        const QByteArray torn = whole.left(whole.size() / 2);
        const QString profilesFile = stage.profilesFile();
        QVERIFY(Stage::writeFile(profilesFile, torn));
        const QString game = stage.openWindow(kGameClass);
        QVERIFY(!game.isEmpty());
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(stage.launch(app));

        VERIFY_SEEN(
            *app, app->waitForLines(QStringLiteral("[ProfileManager] Failed to load profiles: ")));
        const QStringList moved = after(
            app->lines(), QStringLiteral("[ProfileManager] Moved unreadable profiles file to "));
        VERIFY_SEEN(*app, moved.size() == 1);
        // Kept beside where it was; how it is named and kept is the store's own.
        QCOMPARE(QFileInfo(moved.constFirst()).absolutePath(),
                 QFileInfo(profilesFile).absolutePath());
        QVERIFY(QFile::exists(moved.constFirst()));

        QVERIFY(stage.focus(game));
        QVERIFY(stage.xdotool(QStringLiteral("click 1")));
        VERIFY_SEEN(*app, app->waitForLines(kNoActiveProfile));
        QVERIFY(after(app->lines(), kFiring).isEmpty());
        QVERIFY(!QFile::exists(profilesFile));
    }

    void anAvailableUpdateIsOfferedAndLaterKeepsRunning() {
        test::LoopbackHttpServer updates;
        updates.setReply("/check-update",
                         test::LoopbackHttpServer::Reply::answer(
                             200,
                             R"({"success":true,"update_available":true,"force_update":false,)"
                             R"("latest_version":"9.9.9","release_notes":"Notes"})",
                             "application/json"));
        Stage stage;
        QVERIFY(stage.start());
        stage.updateUrl = QStringLiteral("http://127.0.0.1:%1").arg(updates.port());
        QVERIFY(stage.writeProfiles(spaceFiresSharpCollision()));
        std::unique_ptr<test::RunningProgram> app;
        QVERIFY(stage.launch(app));

        const QStringList alert = Stage::ownedBy(*app) << QStringLiteral("--name")
                                                       << QStringLiteral("^Update Available$");
        QTRY_COMPARE(count(stage.windows(alert)), 1);
        const auto requests = updates.requests();
        QCOMPARE(requests.size(), std::size_t{1});
        QCOMPARE(requests[0].body,
                 std::string(R"({"current_version":")" THRUMWISE_VERSION R"("})"));

        // The alert's text is painted, not published: a picture shows it.
        const QString picture =
            QDir(QStringLiteral(THRUMWISE_E2E_OUTPUT)).filePath(QStringLiteral("update-alert.png"));
        QFile::remove(picture);
        QVERIFY(stage.screenshot(picture));
        QVERIFY(QFileInfo(picture).size() > 0);

        // Escape answers "Later".
        const auto shown = stage.windows(alert);
        QCOMPARE(count(shown), 1);
        QVERIFY(stage.focus(shown->constFirst()));
        QVERIFY(stage.xdotool(QStringLiteral("key Escape")));
        QTRY_COMPARE(count(stage.windows(alert)), 0);

        // Still running, and still at work.
        QVERIFY(!stage.openWindow(kGameClass).isEmpty());
        VERIFY_SEEN(*app, app->waitForLines(kGameActivated));
        QVERIFY(stage.xdotool(QStringLiteral("key space")));
        VERIFY_SEEN(*app, app->waitForLines(kFiring));
        QVERIFY(app->isRunning());
        QCOMPARE(updates.requests().size(), std::size_t{1});
    }
};

QTEST_GUILESS_MAIN(EndToEndTest)
#include "EndToEndTest.moc"
