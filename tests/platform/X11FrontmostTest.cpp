#include "platform/x11/X11Display.h"
#include "platform/x11/X11FrontmostApplicationSource.h"
#include "platform/x11/X11PermissionProbe.h"
#include "support/XvfbServer.h"

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
    std::vector<std::unique_ptr<test::RunningProgram>> windows_;
    int changes_ = 0;

    // A test window given the focus (activated, when a window manager runs).
    bool focusNewWindow(const char* windowClass, const QStringList& options = {},
                        const char* how = "windowactivate") {
        changes_ = 0;  // a window manager may activate the window once it is shown
        windows_.push_back(std::make_unique<test::RunningProgram>(
            QStringLiteral(THRUMWISE_TEST_WINDOW),
            QStringList{QStringLiteral("--class"), QString::fromUtf8(windowClass)} + options,
            server_.clientEnvironment()));
        // Its id ("0x...") is the first line it prints, once it asks to be mapped.
        auto& window = *windows_.back();
        const QString id =
            window.waitForLines(QStringLiteral("0x")) ? window.lines().constFirst() : QString();
        const auto xdotool = [&](const char* command) {
            return server_.run(QStringLiteral("xdotool"),
                               {QString::fromUtf8(command), QStringLiteral("--sync"), id});
        };
        return !id.isEmpty() && xdotool("windowmap") && xdotool(how);
    }

private Q_SLOTS:
    // Nothing polls here: each switch must be told by the server. A lost server
    // means nothing in front and no permissions, not a crash; the new
    // connection is listened to as the old one was. Without a window manager
    // each move of the input focus is told. WM_CLASS names the application,
    // Latin-1 by convention, so turned into UTF-8; the title its name. A closed
    // window's id may come back for a new one, a root property in the wrong
    // shape names no window, and a class set late counts.
    void theActiveWindowIsToldAndDescribedAcrossALostServer() {
        QVERIFY(server_.start());
        X11Display display(server_.displayName().toStdString());
        X11FrontmostApplicationSource source(display);
        X11PermissionProbe probe(display);
        source.setChangeHandler([this] { ++changes_; });
        const auto front = [&] {
            return source.frontmostApplication().value_or(FrontmostApplication{});
        };
        QVERIFY(probe.isAccessibilityGranted() && probe.isInputMonitoringGranted());
        server_.kill();
        QVERIFY(!source.frontmostApplication() && !probe.isAccessibilityGranted());
        QVERIFY(server_.restart());
        QTRY_VERIFY(probe.isAccessibilityGranted());       // once the pause after a failure is over
        static_cast<void>(source.frontmostApplication());  // listens on the new connection
        for (const char* windowClass : {"First", "Second"}) {
            QVERIFY(focusNewWindow(windowClass, {}, "windowfocus"));
            QTRY_VERIFY(changes_ > 0);
            QCOMPARE(front().bundleId, Id(windowClass));
        }
        windows_.clear();

        QVERIFY(server_.startWindowManager());
        QVERIFY(focusNewWindow("Arena", {QStringLiteral("--title"), QStringLiteral("Ünïcode")}));
        QTRY_VERIFY(changes_ > 0);
        QVERIFY(front().bundleId == Id("Arena") && front().localizedName == Id("Ünïcode"));
        // Another client writes what it likes, as any client may.
        const std::unique_ptr<Display, int (*)(Display*)> writer(
            XOpenDisplay(server_.displayName().toUtf8().constData()), XCloseDisplay);
        std::string latinOne = "Caf\xe9 M\xfcller";
        XClassHint hint{latinOne.data(), latinOne.data()};
        changes_ = 0;
        XSetClassHint(writer.get(), windows_.at(0)->lines().constFirst().toULong(nullptr, 0),
                      &hint);
        XFlush(writer.get());
        QTRY_VERIFY(changes_ > 0);
        QCOMPARE(front().bundleId, Id("Café Müller"));
        windows_.at(0)->stop();
        QTRY_VERIFY(!source.frontmostApplication());  // openbox still names the closed window
        QVERIFY(focusNewWindow("Nameless", {QStringLiteral("--no-class")}));
        QTRY_COMPARE(front().localizedName, Id("Nameless"));
        QCOMPARE(front().bundleId, std::nullopt);
        changes_ = 0;
        XChangeProperty(writer.get(), DefaultRootWindow(writer.get()),
                        XInternAtom(writer.get(), "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>("A"), 1);
        XFlush(writer.get());
        QTRY_VERIFY(changes_ > 0);
        QCOMPARE(front().localizedName, Id("Nameless"));
        QVERIFY(
            focusNewWindow("LateGame", {QStringLiteral("--class-delay"), QStringLiteral("300")}));
        QTRY_COMPARE(front().bundleId, Id("LateGame"));
    }
};

QTEST_GUILESS_MAIN(X11FrontmostTest)
#include "X11FrontmostTest.moc"
