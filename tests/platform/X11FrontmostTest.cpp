#include "platform/x11/X11Display.h"
#include "platform/x11/X11FrontmostApplicationSource.h"
#include "platform/x11/X11PermissionProbe.h"
#include "support/TestWindow.h"
#include "support/XvfbServer.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

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
    std::unique_ptr<X11Display> display_;
    std::unique_ptr<X11FrontmostApplicationSource> source_;
    std::vector<std::unique_ptr<test::TestWindow>> windows_;

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
    }

    void cleanup() {
        source_.reset();
        display_.reset();
        windows_.clear();
        server_.kill();
    }

    // WM_CLASS names the application (Latin-1 by convention, so turned into
    // UTF-8) and the title its name; a class set late is picked up.
    void theClassNamesTheApplicationAndTheTitleItsName() {
        QVERIFY(server_.startWindowManager());
        const QString named = openWindow(QStringLiteral("--class Arena --title Ünïcode"));
        QVERIFY(activate(named));
        QTRY_COMPARE(frontmostId(), Id("Arena"));
        QCOMPARE(frontmostName(), Id("Ünïcode"));
        write([&](Display* writer) {
            std::string instance = "cafe";
            std::string latinOne = "Caf\xe9 M\xfcller";
            XClassHint hint{instance.data(), latinOne.data()};
            XSetClassHint(writer, named.toULong(nullptr, 0), &hint);
        });
        QTRY_COMPARE(frontmostId(), Id("Café Müller"));
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

    void withoutAWindowManagerTheInputFocusCounts() {
        QVERIFY(!source_->frontmostApplication());  // the focus follows the pointer: no window
        const QString first = openWindow(QStringLiteral("--class First"));
        const QString second = openWindow(QStringLiteral("--class Second"));
        QVERIFY(xdotool(QStringLiteral("windowfocus"), first));
        QTRY_COMPARE(frontmostId(), Id("First"));
        QVERIFY(xdotool(QStringLiteral("windowfocus"), second));
        QTRY_COMPARE(frontmostId(), Id("Second"));
    }

    // A socket path of its own for "no display", so that no server listens there.
    void aLostServerMeansNothingUntilItIsBack() {
        QVERIFY(server_.startWindowManager());
        X11PermissionProbe probe(*display_);
        QVERIFY(probe.isAccessibilityGranted() && probe.isInputMonitoringGranted());
        QVERIFY(activate(openWindow(QStringLiteral("--class Before"))));
        QTRY_COMPARE(frontmostId(), Id("Before"));
        windows_.clear();
        server_.kill();
        QVERIFY(!source_->frontmostApplication() && !probe.isAccessibilityGranted());
        // The same steps in the same order, so the new server hands out the same ids.
        QVERIFY(server_.restart() && server_.startWindowManager());
        static_cast<void>(source_->frontmostApplication());
        QVERIFY(activate(openWindow(QStringLiteral("--class After"))));
        QTRY_COMPARE(frontmostId(), Id("After"));
        QVERIFY(probe.isAccessibilityGranted());
        const QTemporaryDir folder;
        X11Display nowhere(folder.filePath(QStringLiteral("no-server:0")).toStdString());
        QVERIFY(!X11PermissionProbe(nowhere).isAccessibilityGranted());
        QVERIFY(!X11PermissionProbe(nowhere).isInputMonitoringGranted());
        QVERIFY(!X11FrontmostApplicationSource(nowhere).frontmostApplication());
    }
};

QTEST_GUILESS_MAIN(X11FrontmostTest)
#include "X11FrontmostTest.moc"
