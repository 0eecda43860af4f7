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
        QObject::connect(&monitor, &AppMonitor::frontmostBundleIdSeen,
                         [this](const Id& id) { seen.push_back(id); });
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
    QString openWindow(const QString& arguments) {
        windows_.push_back(std::make_unique<test::TestWindow>(QStringLiteral(THRUMWISE_TEST_WINDOW),
                                                              server_.clientEnvironment(),
                                                              arguments.split(QLatin1Char(' '))));
        const QString id = windows_.back()->id();
        return !id.isEmpty() && xdotool(QStringLiteral("windowmap"), id) ? id : QString();
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
    Id frontmostName() const {
        const auto application = source_->frontmostApplication();
        return application ? application->localizedName : std::nullopt;
    }
    // Another client changes what it likes, as any client may.
    void write(const std::function<void(Display*)>& change) const {
        Display* writer = XOpenDisplay(server_.displayName().toUtf8().constData());
        QVERIFY(writer);
        change(writer);
        XCloseDisplay(writer);
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

    // The poll's timer is held: only the window manager's word can bring the switch.
    void aFocusChangeSwitchesTheProfileWithoutWaitingForThePoll() {
        QVERIFY(server_.startWindowManager());
        test::ManualTimerFactory heldTimers;
        Follower follower(*source_, heldTimers);
        const QString arena = openWindow(QStringLiteral("--class ThrumwiseArena"));
        const QString quest = openWindow(QStringLiteral("--class ThrumwiseQuest"));
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

    // WM_CLASS names the application (Latin-1 by convention, so turned into
    // UTF-8) and the title its name; a class set late is picked up. A class
    // changed on the window in front is told at once.
    void theClassNamesTheApplicationAndTheTitleItsName() {
        QVERIFY(server_.startWindowManager());
        listen();
        const QString named = openWindow(QStringLiteral("--class Arena --title Ünïcode"));
        QVERIFY(activate(named));
        QTRY_COMPARE(frontmostId(), Id("Arena"));
        QCOMPARE(frontmostName(), Id("Ünïcode"));
        toldChanges_ = 0;
        write([&](Display* writer) {
            std::string instance = "cafe";
            std::string latinOne = "Caf\xe9 M\xfcller";
            XClassHint hint{instance.data(), latinOne.data()};
            XSetClassHint(writer, named.toULong(nullptr, 0), &hint);
        });
        QTRY_VERIFY(toldChanges_ > 0);
        QCOMPARE(frontmostId(), Id("Café Müller"));
        QVERIFY(activate(openWindow(QStringLiteral("--no-class"))));
        QTRY_VERIFY(source_->frontmostApplication() && !frontmostId());  // only without identifier
        QCOMPARE(frontmostName(), Id("Test window"));
        QVERIFY(activate(openWindow(QStringLiteral("--class LateGame --class-delay 300"))));
        QTRY_COMPARE(frontmostId(), Id("LateGame"));
    }

    // A closed window's id may come back for a new one; a root property in
    // the wrong shape would name no window, and the input focus still counts.
    void theActiveWindowIsLookedAtAfreshAndChecked() {
        QVERIFY(server_.startWindowManager());
        QVERIFY(activate(openWindow(QStringLiteral("--class First"))));
        QTRY_COMPARE(frontmostId(), Id("First"));
        windows_.at(0)->close();
        QTRY_VERIFY(!source_->frontmostApplication());  // openbox still names the closed window
        QVERIFY(activate(openWindow(QStringLiteral("--class Second"))));
        QTRY_COMPARE(frontmostId(), Id("Second"));
        write([](Display* writer) {
            const unsigned char oneByte = 0x41;
            XChangeProperty(writer, DefaultRootWindow(writer),
                            XInternAtom(writer, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 8,
                            PropModeReplace, &oneByte, 1);
        });
        QTRY_COMPARE(frontmostId(), Id("Second"));
    }

    // Each move is told: from the pointer's root to a window on the root,
    // from one window to another on the window left.
    void withoutAWindowManagerTheInputFocusCounts() {
        listen();
        QVERIFY(!source_->frontmostApplication());  // the focus follows the pointer: no window
        const QString first = openWindow(QStringLiteral("--class First"));
        const QString second = openWindow(QStringLiteral("--class Second"));
        toldChanges_ = 0;
        QVERIFY(xdotool(QStringLiteral("windowfocus"), first));
        QTRY_VERIFY(toldChanges_ > 0);
        QCOMPARE(frontmostId(), Id("First"));
        toldChanges_ = 0;
        QVERIFY(xdotool(QStringLiteral("windowfocus"), second));
        QTRY_VERIFY(toldChanges_ > 0);
        QCOMPARE(frontmostId(), Id("Second"));
    }

    // The new connection is listened to as the old one was. A socket path of
    // its own for "no display", so that no server listens there.
    void aLostServerMeansNothingUntilItIsBack() {
        QVERIFY(server_.startWindowManager());
        listen();
        X11PermissionProbe probe(*display_);
        QVERIFY(probe.isAccessibilityGranted() && probe.isInputMonitoringGranted());
        QVERIFY(activate(openWindow(QStringLiteral("--class Before"))));
        QTRY_COMPARE(frontmostId(), Id("Before"));
        windows_.clear();
        server_.kill();
        QVERIFY(!source_->frontmostApplication() && !probe.isAccessibilityGranted());
        // The same steps in the same order, so the new server hands out the same ids.
        QVERIFY(server_.restart() && server_.startWindowManager());
        // Connected again once the pause after the failed attempt is over.
        QTRY_VERIFY(probe.isAccessibilityGranted());
        static_cast<void>(source_->frontmostApplication());
        toldChanges_ = 0;
        QVERIFY(activate(openWindow(QStringLiteral("--class After"))));
        QTRY_VERIFY(toldChanges_ > 0);
        QCOMPARE(frontmostId(), Id("After"));
        const QTemporaryDir folder;
        X11Display nowhere(folder.filePath(QStringLiteral("no-server:0")).toStdString());
        QVERIFY(!X11PermissionProbe(nowhere).isAccessibilityGranted());
        QVERIFY(!X11PermissionProbe(nowhere).isInputMonitoringGranted());
        QVERIFY(!X11FrontmostApplicationSource(nowhere).frontmostApplication());
    }
};

QTEST_GUILESS_MAIN(X11FrontmostTest)
#include "X11FrontmostTest.moc"
