#include "focus/AppMonitor.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11FrontmostApplicationSource.h"
#include "platform/x11/X11PermissionProbe.h"
#include "support/LogRecorder.h"
#include "support/ManualTimerFactory.h"
#include "support/SampleProfiles.h"
#include "support/TestWindow.h"
#include "support/XvfbServer.h"

#include <QTemporaryDir>
#include <QTest>
// After Qt's headers: Xlib's macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace thrumwise;
using Id = std::optional<std::string>;

class X11FrontmostTest : public QObject {
    Q_OBJECT

    test::XvfbServer server_;
    std::vector<std::unique_ptr<test::TestWindow>> windows_;

    // A test window given the focus (activated, when a window manager runs).
    bool focusNewWindow(const char* windowClass, const char* how = "windowactivate",
                        const QStringList& options = {}) {
        windows_.push_back(std::make_unique<test::TestWindow>(
            QStringLiteral(THRUMWISE_TEST_WINDOW), server_.clientEnvironment(),
            QStringList{QStringLiteral("--class"), QString::fromUtf8(windowClass)} + options));
        const QString id = windows_.back()->id();
        const auto xdotool = [&](const char* command) {
            return server_.run(QStringLiteral("xdotool"),
                               {QString::fromUtf8(command), QStringLiteral("--sync"), id});
        };
        return !id.isEmpty() && xdotool("windowmap") && xdotool(how);
    }
    // Another client writes what it likes, as any client may.
    void write(const std::function<void(Display*)>& change) const {
        Display* writer = XOpenDisplay(server_.displayName().toUtf8().constData());
        QVERIFY(writer);
        change(writer);
        XCloseDisplay(writer);
    }

private Q_SLOTS:
    // The poll's timer is held: only the window manager's word can bring a
    // switch. WM_CLASS names the application, Latin-1 by convention, so turned
    // into UTF-8; a closed window's id may come back for a new one, and a root
    // property in the wrong shape names no window.
    void theActiveWindowsClassChoosesTheProfileAtOnce() {
        QVERIFY(server_.start() && server_.startWindowManager());
        X11Display display(server_.displayName().toStdString());
        X11FrontmostApplicationSource source(display);
        const std::vector<GameProfile> profiles{test::profile("A", "Arena", "Arena"),
                                                test::profile("C", "Café", "Café Müller")};
        Id active;
        test::ManualTimerFactory heldTimers;
        test::LogRecorder log;
        AppMonitor monitor(source,
                           {[&]() -> const std::vector<GameProfile>& { return profiles; },
                            [&] {
                                return active;
                            }},
                           heldTimers, log.logger());
        connect(&monitor, &AppMonitor::profileChosen, [&](const std::optional<GameProfile>& p) {
            active = p ? Id(p->id) : std::nullopt;
        });
        monitor.startMonitoring();
        QVERIFY(focusNewWindow("Arena"));
        QTRY_COMPARE(active, Id("A"));
        write([&](Display* writer) {
            std::string latinOne = "Caf\xe9 M\xfcller";
            XClassHint hint{latinOne.data(), latinOne.data()};
            XSetClassHint(writer, windows_.at(0)->id().toULong(nullptr, 0), &hint);
        });
        QTRY_COMPARE(active, Id("C"));
        windows_.at(0)->close();
        QTRY_VERIFY(!source.frontmostApplication());  // openbox still names the closed window
        QVERIFY(focusNewWindow("Second"));
        QTRY_COMPARE(source.frontmostApplication()->bundleId, Id("Second"));
        write([](Display* writer) {
            const unsigned char oneByte = 0x41;
            XChangeProperty(writer, DefaultRootWindow(writer),
                            XInternAtom(writer, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 8,
                            PropModeReplace, &oneByte, 1);
        });
        QTRY_COMPARE(source.frontmostApplication()->bundleId, Id("Second"));
    }

    // The title names the application; a window with no class keeps the
    // profile until its class, set late, is picked up.
    void theTitleNamesTheApplicationAndALateClassCounts() {
        QVERIFY(server_.start() && server_.startWindowManager());
        X11Display display(server_.displayName().toStdString());
        X11FrontmostApplicationSource source(display);
        QVERIFY(focusNewWindow("Arena", "windowactivate",
                               {QStringLiteral("--title"), QStringLiteral("Ünïcode")}));
        QTRY_COMPARE(source.frontmostApplication()->localizedName, Id("Ünïcode"));
        QVERIFY(focusNewWindow("Nameless", "windowactivate", {QStringLiteral("--no-class")}));
        QTRY_COMPARE(source.frontmostApplication()->localizedName, Id("Nameless"));
        QCOMPARE(source.frontmostApplication()->bundleId, std::nullopt);
        QVERIFY(focusNewWindow("LateGame", "windowactivate",
                               {QStringLiteral("--class-delay"), QStringLiteral("300")}));
        QTRY_COMPARE(source.frontmostApplication()->bundleId, Id("LateGame"));
    }

    // A lost server means nothing in front and no permissions, not a crash. The
    // new connection is listened to as the old one was; without a window
    // manager each move of the input focus is told.
    void aLostServerMeansNothingUntilItIsBack() {
        QVERIFY(server_.start());
        X11Display display(server_.displayName().toStdString());
        X11FrontmostApplicationSource source(display);
        X11PermissionProbe probe(display);
        int changes = 0;
        source.setChangeHandler([&] { ++changes; });
        QVERIFY(probe.isAccessibilityGranted() && probe.isInputMonitoringGranted());
        server_.kill();
        QVERIFY(!source.frontmostApplication() && !probe.isAccessibilityGranted());
        QVERIFY(server_.restart());
        QTRY_VERIFY(probe.isAccessibilityGranted());       // once the pause after a failure is over
        static_cast<void>(source.frontmostApplication());  // listens on the new connection
        for (const char* windowClass : {"First", "Second"}) {
            changes = 0;
            QVERIFY(focusNewWindow(windowClass, "windowfocus"));
            QTRY_VERIFY(changes > 0);
            QCOMPARE(source.frontmostApplication()->bundleId, Id(windowClass));
        }
        const QTemporaryDir folder;  // a socket path where no server listens
        X11Display nowhere(folder.filePath(QStringLiteral("no-server:0")).toStdString());
        QVERIFY(!X11FrontmostApplicationSource(nowhere).frontmostApplication());
    }

    void cleanup() {
        windows_.clear();
        server_.kill();
    }
};

QTEST_GUILESS_MAIN(X11FrontmostTest)
#include "X11FrontmostTest.moc"
