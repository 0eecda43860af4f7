#include "common/RepeatingTimer.h"
#include "focus/AppMonitor.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11FrontmostApplicationSource.h"
#include "platform/x11/X11PermissionProbe.h"
#include "support/LogRecorder.h"
#include "support/ManualTimerFactory.h"
#include "support/SampleProfiles.h"
#include "support/TestWindow.h"
#include "support/XvfbServer.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
// After Qt's headers: Xlib's macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace thrumwise;
using Id = std::optional<std::string>;

namespace {

// A monitor of the source under test, wired as the application wires it: what
// it reports becomes the identifier in front and the active profile, and is
// also written down in order.
struct Follower {
    std::vector<GameProfile> profiles{test::profile("ARENA", "Arena", "ThrumwiseArena"),
                                      test::profile("QUEST", "Quest", "ThrumwiseQuest")};
    Id front;
    std::optional<GameProfile> active;
    std::vector<Id> seen;
    std::vector<Id> chosen;
    test::LogRecorder log;
    AppMonitor monitor;

    Follower(FrontmostApplicationSource& source, TimerFactory& timers)
        : monitor(source,
                  {[this]() -> const std::vector<GameProfile>& { return profiles; },
                   [this] {
                       return active ? Id(active->id) : std::nullopt;
                   }},
                  timers, log.logger()) {
        QObject::connect(&monitor, &AppMonitor::frontmostBundleIdSeen, [this](const Id& id) {
            front = id;
            seen.push_back(id);
        });
        QObject::connect(&monitor, &AppMonitor::profileChosen,
                         [this](const std::optional<GameProfile>& profile) {
                             active = profile;
                             chosen.push_back(profile ? Id(profile->id) : std::nullopt);
                         });
        monitor.startMonitoring();
    }

    bool isActive(const std::string& name) const { return active && active->displayName == name; }
};

}  // namespace

class X11FrontmostTest : public QObject {
    Q_OBJECT

    test::XvfbServer server_;
    std::unique_ptr<X11Display> display_;
    std::unique_ptr<X11FrontmostApplicationSource> source_;
    std::vector<std::unique_ptr<test::TestWindow>> windows_;
    int toldChanges_ = 0;  // by the source, once listened to

    void listen() {
        source_->setChangeHandler([this] { ++toldChanges_; });
    }

    // Opens a test window and returns its id, as xdotool takes it, once the
    // window is on screen (and managed, when a window manager runs).
    QString openWindow(const QStringList& arguments) {
        windows_.push_back(std::make_unique<test::TestWindow>(
            QStringLiteral(THRUMWISE_TEST_WINDOW), server_.clientEnvironment(), arguments));
        const QString id = windows_.back()->id();
        return !id.isEmpty() && xdotool(QStringLiteral("windowmap"), id) ? id : QString();
    }
    QString openWindow(const char* windowClass) {
        return openWindow({QStringLiteral("--class"), QString::fromUtf8(windowClass)});
    }

    bool xdotool(const QString& command, const QString& window) const {
        return server_.run(QStringLiteral("xdotool"), {command, QStringLiteral("--sync"), window});
    }
    bool activate(const QString& window) const {
        return xdotool(QStringLiteral("windowactivate"), window);
    }

    Id frontmostId() const {
        const auto application = source_->frontmostApplication();
        return application ? application->bundleId : std::nullopt;
    }

private Q_SLOTS:
    void init() {
        QVERIFY(server_.start());
        display_ = std::make_unique<X11Display>(server_.displayName().toStdString());
        source_ = std::make_unique<X11FrontmostApplicationSource>(*display_);
        toldChanges_ = 0;
    }

    void cleanup() {
        source_.reset();
        display_.reset();
        windows_.clear();
        server_.kill();
    }

    // A profile switch is due within half a second of the focus change.
    void theActiveProfileFollowsTheFocusedWindow() {
        QVERIFY(server_.startWindowManager());
        QtTimerFactory timers;
        Follower follower(*source_, timers);
        const QString arena = openWindow("ThrumwiseArena");
        const QString quest = openWindow("ThrumwiseQuest");
        QVERIFY(!arena.isEmpty() && !quest.isEmpty());

        QStringList measured;
        for (const auto& [window, name] : std::vector<std::pair<QString, std::string>>{
                 {arena, "Arena"}, {quest, "Quest"}, {arena, "Arena"}, {quest, "Quest"}}) {
            const auto isDone = [&, &name = name] {
                return follower.front == "Thrumwise" + name && follower.isActive(name);
            };
            QTRY_VERIFY(!isDone());  // the other window is in front
            QVERIFY(activate(window));
            QElapsedTimer sinceFocus;
            sinceFocus.start();
            // Noted the moment the switch lands, not when the wait next looks.
            std::optional<qint64> switchedAfterMs;
            const auto note = [&] {
                if (!switchedAfterMs && isDone()) {
                    switchedAfterMs = sinceFocus.elapsed();
                }
            };
            const auto onProfile =
                connect(&follower.monitor, &AppMonitor::profileChosen, this, note);
            const auto onFront =
                connect(&follower.monitor, &AppMonitor::frontmostBundleIdSeen, this, note);
            note();
            // 200 ms more allow for a loaded machine.
            QTRY_VERIFY_WITH_TIMEOUT(switchedAfterMs.has_value(), 700);
            disconnect(onProfile);
            disconnect(onFront);
            measured << QString::number(*switchedAfterMs);
        }
        qInfo("profile switch after focus change (ms): %s", qPrintable(measured.join(u' ')));
    }

    // The poll's timer is held: only the window manager's word can bring the switch.
    void aFocusChangeSwitchesTheProfileWithoutWaitingForThePoll() {
        QVERIFY(server_.startWindowManager());
        test::ManualTimerFactory heldTimers;
        Follower follower(*source_, heldTimers);
        const QString arena = openWindow("ThrumwiseArena");
        const QString quest = openWindow("ThrumwiseQuest");
        QVERIFY(!arena.isEmpty() && !quest.isEmpty());

        QVERIFY(activate(arena));
        QTRY_VERIFY(follower.isActive("Arena"));
        QVERIFY(activate(quest));
        QTRY_VERIFY(follower.isActive("Quest"));
        QCOMPARE(follower.log.lines().back(),
                 std::string("[AppMonitor] Activated profile: Quest for ThrumwiseQuest"));
        QCOMPARE(heldTimers.startedCount(), std::size_t{1});

        // Switching away and back before the monitor's next turn: one look,
        // at the window in front by then.
        follower.seen.clear();
        follower.chosen.clear();
        QProcess burst;
        burst.setProcessEnvironment(server_.clientEnvironment());
        const auto sync = QStringLiteral("--sync");
        const auto activateCommand = QStringLiteral("windowactivate");
        burst.start(QStringLiteral("xdotool"), {activateCommand, sync, arena, activateCommand, sync,
                                                quest, activateCommand, sync, arena});
        QVERIFY(burst.waitForFinished() && burst.exitCode() == 0);  // blocks the event loop
        QTRY_VERIFY(follower.isActive("Arena"));
        QTest::qWait(100);  // room for any later look
        QCOMPARE(follower.seen, std::vector<Id>{"ThrumwiseArena"});
        QCOMPARE(follower.chosen, std::vector<Id>{"ARENA"});
        follower.monitor.stopMonitoring();
        QVERIFY(activate(quest));
        QTest::qWait(100);
        QVERIFY(follower.isActive("Arena"));  // stopped: nothing looks any more
    }

    void theClassNamesTheApplicationAndTheTitleItsName() {
        QVERIFY(server_.startWindowManager());
        const QString named =
            openWindow({QStringLiteral("--class"), QStringLiteral("Arena"),
                        QStringLiteral("--title"), QStringLiteral("Arena — Ünïcode Edition")});
        const QString nameless = openWindow({QStringLiteral("--no-class")});

        QVERIFY(activate(named));
        QTRY_COMPARE(frontmostId(), Id("Arena"));
        QCOMPARE(source_->frontmostApplication()->localizedName, Id("Arena — Ünïcode Edition"));
        QVERIFY(activate(nameless));
        // An application, only without an identifier.
        QTRY_VERIFY(source_->frontmostApplication() && !frontmostId());
        QCOMPARE(source_->frontmostApplication()->localizedName, Id("Test window"));
        // A class set after the window is shown is picked up.
        QVERIFY(activate(openWindow({QStringLiteral("--class"), QStringLiteral("LateGame"),
                                     QStringLiteral("--class-delay"), QStringLiteral("300")})));
        QTRY_COMPARE(frontmostId(), Id("LateGame"));
    }

    // WM_CLASS is Latin-1 by convention; identifiers are UTF-8, so the class
    // matches the profile made for it.
    // The change is also told at once, as the class names another application.
    void aLatinOneClassBecomesAUtf8Identifier() {
        QVERIFY(server_.startWindowManager());
        listen();
        const QString game = openWindow("Placeholder");
        QVERIFY(activate(game));
        QTRY_COMPARE(frontmostId(), Id("Placeholder"));
        toldChanges_ = 0;

        Display* writer = XOpenDisplay(server_.displayName().toUtf8().constData());
        QVERIFY(writer);
        std::string instance = "cafe";
        std::string latinOne = "Caf\xe9 M\xfcller";
        XClassHint hint{instance.data(), latinOne.data()};
        XSetClassHint(writer, game.toULong(nullptr, 0), &hint);
        XCloseDisplay(writer);
        QTRY_VERIFY(toldChanges_ > 0);
        QCOMPARE(frontmostId(), Id("Café Müller"));
    }

    // Any client may write the root window's properties in any shape.
    void aMalformedActiveWindowPropertyIsNotTrusted() {
        QVERIFY(server_.startWindowManager());
        QVERIFY(activate(openWindow("FocusedGame")));
        QTRY_COMPARE(frontmostId(), Id("FocusedGame"));

        Display* writer = XOpenDisplay(server_.displayName().toUtf8().constData());
        QVERIFY(writer);
        const unsigned char oneByte = 0x41;
        XChangeProperty(writer, DefaultRootWindow(writer),
                        XInternAtom(writer, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 8,
                        PropModeReplace, &oneByte, 1);
        XCloseDisplay(writer);

        // Read as a window id, the byte would name no window at all; the
        // input focus still names the game.
        QTRY_COMPARE(frontmostId(), Id("FocusedGame"));
    }

    // Each move is told: from the pointer's root to a window on the root,
    // from one window to another on the window left.
    void withoutAWindowManagerTheInputFocusCounts() {
        listen();
        QVERIFY(!source_->frontmostApplication());  // the focus follows the pointer: no window
        const QString first = openWindow("First");
        const QString second = openWindow("Second");
        toldChanges_ = 0;
        QVERIFY(xdotool(QStringLiteral("windowfocus"), first));
        QTRY_VERIFY(toldChanges_ > 0);
        QCOMPARE(frontmostId(), Id("First"));
        toldChanges_ = 0;
        QVERIFY(xdotool(QStringLiteral("windowfocus"), second));
        QTRY_VERIFY(toldChanges_ > 0);
        QCOMPARE(frontmostId(), Id("Second"));
    }

    // A new client takes the lowest free slot on the server, so the window of
    // a program started after another ended usually gets the same id.
    void aNewWindowInPlaceOfAClosedOneIsLookedAtAfresh() {
        QVERIFY(server_.startWindowManager());
        QVERIFY(activate(openWindow("First")));
        QTRY_COMPARE(frontmostId(), Id("First"));
        windows_.at(0)->close();  // the server destroys its window
        // openbox goes on naming the closed window as the active one.
        QTRY_VERIFY(!source_->frontmostApplication());
        QVERIFY(activate(openWindow("Second")));
        QTRY_COMPARE(frontmostId(), Id("Second"));
    }

    // The new connection is listened to as the old one was.
    void aLostServerMeansNothingUntilItIsBack() {
        QVERIFY(server_.startWindowManager());
        listen();
        X11PermissionProbe probe(*display_);
        QVERIFY(probe.isAccessibilityGranted() && probe.isInputMonitoringGranted());
        QVERIFY(activate(openWindow("Before")));
        QTRY_COMPARE(frontmostId(), Id("Before"));

        windows_.clear();
        server_.kill();
        QVERIFY(!source_->frontmostApplication());
        QVERIFY(!source_->frontmostApplication());
        QVERIFY(!probe.isAccessibilityGranted());

        // The same steps in the same order, so the new server hands out the same ids.
        QVERIFY(server_.restart());
        QVERIFY(server_.startWindowManager());
        // Connected again once the pause after the failed attempt is over.
        QTRY_VERIFY(probe.isAccessibilityGranted());
        static_cast<void>(source_->frontmostApplication());
        toldChanges_ = 0;
        QVERIFY(activate(openWindow("After")));
        QTRY_VERIFY(toldChanges_ > 0);
        QCOMPARE(frontmostId(), Id("After"));
    }

    void withoutADisplayNothingIsGranted() {
        // A socket path of its own, so that no other server can be listening there.
        const QTemporaryDir folder;
        X11Display nowhere(folder.filePath(QStringLiteral("no-server:0")).toStdString());
        X11PermissionProbe probe(nowhere);
        QVERIFY(!probe.isAccessibilityGranted());
        QVERIFY(!probe.isInputMonitoringGranted());
        QVERIFY(!X11FrontmostApplicationSource(nowhere).frontmostApplication());
    }
};

QTEST_GUILESS_MAIN(X11FrontmostTest)
#include "X11FrontmostTest.moc"
