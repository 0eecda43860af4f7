#include "platform/x11/X11Display.h"
#include "platform/x11/X11FrontmostApplicationSource.h"
#include "platform/x11/X11PermissionProbe.h"
#include "support/TestWindow.h"
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
    std::vector<std::unique_ptr<test::TestWindow>> windows_;
    int changes_ = 0;

    // A test window given the focus (activated, when a window manager runs).
    bool focusNewWindow(const char* windowClass, const QStringList& options = {},
                        const char* how = "windowactivate") {
        changes_ = 0;  // a window manager may activate the window once it is shown
        windows_.push_back(std::make_unique<test::TestWindow>(
            QStringLiteral(THRUMWISE_TEST_WINDOW), server_.clientEnvironment(),
            QStringList{QStringLiteral("--class"), QString::fromUtf8(windowClass)} + options));
        const QString id = windows_.back()->id();
        return !id.isEmpty() && server_.run(QStringLiteral("xdotool"),
                                            QStringLiteral("windowmap --sync %1 %2 --sync %1")
                                                .arg(id, QString::fromUtf8(how))
                                                .split(u' '));
    }

private Q_SLOTS:
    // Nothing polls here: each switch must be told by the server. A lost server
    // means nothing in front and no permissions; the new connection is heard as
    // the old one was. WM_CLASS names the application, Latin-1 by convention;
    // the title its name. A closed window's id may come back for a new one.
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
        XSetClassHint(writer.get(), windows_.at(0)->id().toULong(nullptr, 0), &hint);
        XFlush(writer.get());
        QTRY_VERIFY(changes_ > 0);
        QCOMPARE(front().bundleId, Id("Café Müller"));
        windows_.at(0)->close();
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
