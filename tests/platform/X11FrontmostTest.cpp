#include "app/AppState.h"
#include "apps/AppMonitor.h"
#include "common/RepeatingTimer.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11FrontmostApplicationSource.h"
#include "platform/x11/X11PermissionProbe.h"
#include "support/AppStateFixture.h"
#include "support/SampleProfiles.h"
#include "support/TestWindow.h"
#include "support/XvfbServer.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
// After Qt's headers: Xlib's macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace thrumwise;

namespace {

// A profile switch is due within half a second of the focus change; the rest
// allows for a loaded machine.
constexpr int kSwitchBudgetMs = 500;
constexpr int kSchedulingAllowanceMs = 200;

using Application = std::optional<FrontmostApplication>;

std::optional<std::string> idOf(const Application& application) {
    return application ? application->bundleId : std::nullopt;
}

}  // namespace

class X11FrontmostTest : public QObject {
    Q_OBJECT

    test::XvfbServer server_;
    std::vector<std::unique_ptr<test::TestWindow>> windows_;

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

private Q_SLOTS:
    void init() { QVERIFY(server_.start()); }

    void cleanup() {
        windows_.clear();
        server_.kill();
    }

    void theActiveProfileFollowsTheFocusedWindow() {
        QVERIFY(server_.startWindowManager());
        X11Display display(server_.displayName().toStdString());
        X11FrontmostApplicationSource source(display);
        test::AppStateFixture app;
        AppState& state = app.state();
        state.setProfiles({test::profile("ARENA", "Arena", "ThrumwiseArena"),
                           test::profile("QUEST", "Quest", "ThrumwiseQuest")});
        QtTimerFactory timers;
        AppMonitor monitor(source, state, timers, app.log.logger());
        monitor.startMonitoring();

        const QString arena = openWindow("ThrumwiseArena");
        const QString quest = openWindow("ThrumwiseQuest");
        QVERIFY(!arena.isEmpty() && !quest.isEmpty());

        struct Step {
            QString window;
            std::string bundleId;
            std::string profileId;
        };
        const std::vector<Step> steps{{arena, "ThrumwiseArena", "ARENA"},
                                      {quest, "ThrumwiseQuest", "QUEST"},
                                      {arena, "ThrumwiseArena", "ARENA"},
                                      {quest, "ThrumwiseQuest", "QUEST"}};
        QStringList measured;
        for (const Step& step : steps) {
            const auto isDone = [&] {
                return state.frontmostBundleId() == step.bundleId && state.activeProfile() &&
                       state.activeProfile()->id == step.profileId;
            };
            QTRY_VERIFY(!isDone());  // the other window is in front
            QVERIFY(xdotool(QStringLiteral("windowactivate"), step.window));
            QElapsedTimer sinceFocus;
            sinceFocus.start();
            // Noted the moment the switch lands, not when the wait next looks.
            std::optional<qint64> switchedAfterMs;
            const auto note = [&] {
                if (!switchedAfterMs && isDone()) {
                    switchedAfterMs = sinceFocus.elapsed();
                }
            };
            const auto onProfile = connect(&state, &AppState::activeProfileChanged, this, note);
            const auto onFront = connect(&state, &AppState::frontmostBundleIdChanged, this, note);
            note();
            QTRY_VERIFY_WITH_TIMEOUT(switchedAfterMs.has_value(),
                                     kSwitchBudgetMs + kSchedulingAllowanceMs);
            disconnect(onProfile);
            disconnect(onFront);
            measured << QString::number(*switchedAfterMs);
        }
        qInfo("profile switch after focus change (ms): %s", qPrintable(measured.join(u' ')));
    }

    void aClassSetAfterTheWindowIsShownIsPickedUp() {
        QVERIFY(server_.startWindowManager());
        X11Display display(server_.displayName().toStdString());
        X11FrontmostApplicationSource source(display);
        const QString late = openWindow({QStringLiteral("--class"), QStringLiteral("LateGame"),
                                         QStringLiteral("--class-delay"), QStringLiteral("300")});
        QVERIFY(xdotool(QStringLiteral("windowactivate"), late));
        QTRY_COMPARE(idOf(source.frontmostApplication()), std::optional<std::string>("LateGame"));
    }

    // Any client may write the root window's properties in any shape.
    void aMalformedActiveWindowPropertyIsNotTrusted() {
        QVERIFY(server_.startWindowManager());
        X11Display display(server_.displayName().toStdString());
        X11FrontmostApplicationSource source(display);
        const QString game = openWindow("FocusedGame");
        QVERIFY(xdotool(QStringLiteral("windowactivate"), game));
        QTRY_COMPARE(idOf(source.frontmostApplication()),
                     std::optional<std::string>("FocusedGame"));

        Display* writer = XOpenDisplay(server_.displayName().toUtf8().constData());
        QVERIFY(writer);
        const unsigned char oneByte = 0x41;
        XChangeProperty(writer, DefaultRootWindow(writer),
                        XInternAtom(writer, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 8,
                        PropModeReplace, &oneByte, 1);
        XCloseDisplay(writer);

        // Read as a window id, the byte would name no window at all; the
        // input focus still names the game.
        QTRY_COMPARE(idOf(source.frontmostApplication()),
                     std::optional<std::string>("FocusedGame"));
    }

    void theNameComesFromTheTitle() {
        QVERIFY(server_.startWindowManager());
        X11Display display(server_.displayName().toStdString());
        X11FrontmostApplicationSource source(display);
        const QString named =
            openWindow({QStringLiteral("--class"), QStringLiteral("Arena"),
                        QStringLiteral("--title"), QStringLiteral("Arena — Ünïcode Edition")});
        const QString nameless = openWindow({QStringLiteral("--no-class")});

        QVERIFY(xdotool(QStringLiteral("windowactivate"), named));
        QTRY_VERIFY(source.frontmostApplication());
        const Application withClass = source.frontmostApplication();
        QCOMPARE(withClass->bundleId, std::optional<std::string>("Arena"));
        QCOMPARE(withClass->localizedName, std::optional<std::string>("Arena — Ünïcode Edition"));

        QVERIFY(xdotool(QStringLiteral("windowactivate"), nameless));
        // An application, only without an identifier.
        QTRY_VERIFY(source.frontmostApplication() && !source.frontmostApplication()->bundleId);
        QCOMPARE(source.frontmostApplication()->localizedName,
                 std::optional<std::string>("Test window"));
    }

    void withoutAWindowManagerTheInputFocusCounts() {
        X11Display display(server_.displayName().toStdString());
        X11FrontmostApplicationSource source(display);
        QVERIFY(!source.frontmostApplication());  // the focus follows the pointer: no window

        const QString first = openWindow("First");
        const QString second = openWindow("Second");
        QVERIFY(xdotool(QStringLiteral("windowfocus"), first));
        QTRY_COMPARE(idOf(source.frontmostApplication()), std::optional<std::string>("First"));
        QVERIFY(xdotool(QStringLiteral("windowfocus"), second));
        QTRY_COMPARE(idOf(source.frontmostApplication()), std::optional<std::string>("Second"));
    }

    // A new client takes the lowest free slot on the server, so the window of
    // a program started after another ended usually gets the same id.
    void aNewWindowInPlaceOfAClosedOneIsLookedAtAfresh() {
        QVERIFY(server_.startWindowManager());
        X11Display display(server_.displayName().toStdString());
        X11FrontmostApplicationSource source(display);
        const QString first = openWindow("First");
        QVERIFY(xdotool(QStringLiteral("windowactivate"), first));
        QTRY_COMPARE(idOf(source.frontmostApplication()), std::optional<std::string>("First"));

        windows_.at(0)->close();  // the server destroys its window
        // openbox goes on naming the closed window as the active one.
        QTRY_VERIFY(!source.frontmostApplication());
        const QString second = openWindow("Second");
        QVERIFY(xdotool(QStringLiteral("windowactivate"), second));

        QTRY_COMPARE(idOf(source.frontmostApplication()), std::optional<std::string>("Second"));
    }

    void aLostServerMeansNoApplicationUntilItIsBack() {
        QVERIFY(server_.startWindowManager());
        X11Display display(server_.displayName().toStdString());
        X11FrontmostApplicationSource source(display);
        X11PermissionProbe probe(display);
        static_cast<void>(source.frontmostApplication());  // connects
        QVERIFY(xdotool(QStringLiteral("windowactivate"), openWindow("Before")));
        QTRY_COMPARE(idOf(source.frontmostApplication()), std::optional<std::string>("Before"));

        windows_.clear();
        server_.kill();
        QVERIFY(!source.frontmostApplication());
        QVERIFY(!source.frontmostApplication());
        QVERIFY(!probe.isAccessibilityGranted());

        // The same steps in the same order, so the new server hands out the same ids.
        QVERIFY(server_.restart());
        QVERIFY(server_.startWindowManager());
        static_cast<void>(source.frontmostApplication());
        QVERIFY(xdotool(QStringLiteral("windowactivate"), openWindow("After")));
        QTRY_COMPARE(idOf(source.frontmostApplication()), std::optional<std::string>("After"));
        QVERIFY(probe.isAccessibilityGranted());
    }

    void theProbeGrantsBothOnXvfbAndNothingWithoutADisplay() {
        X11Display display(server_.displayName().toStdString());
        X11PermissionProbe probe(display);
        QVERIFY(probe.isAccessibilityGranted());
        QVERIFY(probe.isInputMonitoringGranted());

        // A socket path of its own, so that no other server can be listening there.
        const QTemporaryDir folder;
        X11Display nowhere(folder.filePath(QStringLiteral("no-server:0")).toStdString());
        X11PermissionProbe absent(nowhere);
        QVERIFY(!absent.isAccessibilityGranted());
        QVERIFY(!absent.isInputMonitoringGranted());
        X11FrontmostApplicationSource source(nowhere);
        QVERIFY(!source.frontmostApplication());
    }
};

QTEST_GUILESS_MAIN(X11FrontmostTest)
#include "X11FrontmostTest.moc"
