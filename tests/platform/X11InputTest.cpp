#include "input/InputMonitor.h"
#include "platform/x11/X11GlobalEventSource.h"
#include "support/LogRecorder.h"
#include "support/RecordingInputListener.h"
#include "support/XvfbServer.h"

#include <memory>
#include <utility>
#include <vector>

#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;

namespace {

QString describe(const RawInputEvent& event) {
    return QStringLiteral("%1 %2 %3")
        .arg(static_cast<int>(event.type))
        .arg(event.keyCode)
        .arg(event.flags, 0, 16);
}

QString keyDown(int code, std::uint64_t flags = 0) {
    return describe({RawInputType::keyDown, code, flags});
}
QString keyUp(int code, std::uint64_t flags = 0) {
    return describe({RawInputType::keyUp, code, flags});
}
QString modifiersChanged(int code, std::uint64_t flags) {
    return describe({RawInputType::modifiersChanged, code, flags});
}
QString mouse(RawInputType type) {
    return describe({type, 0, 0});
}

}  // namespace

class X11InputTest : public QObject {
    Q_OBJECT

    test::XvfbServer server_;
    test::LogRecorder log_;
    std::unique_ptr<X11GlobalEventSource> source_;
    QStringList events_;
    int losses_ = 0;

    void xdotool(const char* arguments) const {
        const QStringList words = QString::fromUtf8(arguments).split(QLatin1Char(' '));
        QVERIFY2(server_.run(QStringLiteral("xdotool"), words), arguments);
    }

    // Starts the source, writing down every event it hands on.
    bool record() {
        return source_->start([this](const RawInputEvent& event) { events_ << describe(event); },
                              [this] { ++losses_; });
    }

    void expectEvents(const QStringList& expected) {
        QTRY_COMPARE(events_.size(), expected.size());
        QCOMPARE(events_, expected);
    }

private Q_SLOTS:
    void init() {
        QVERIFY(server_.start());
        log_.clear();
        events_.clear();
        losses_ = 0;
        source_ = std::make_unique<X11GlobalEventSource>(server_.displayName().toStdString(),
                                                         log_.logger());
    }

    void cleanup() {
        source_.reset();
        server_.kill();
    }

    // Only the master devices are heard, so no press arrives twice.
    void keysAndClicksReachTheMonitorOncePerPress() {
        InputMonitor monitor(*source_, log_.logger());
        test::RecordingInputListener listener;
        monitor.addListener(listener);
        monitor.start();

        xdotool("key a");
        xdotool("key shift+b");
        xdotool("click 1");
        xdotool("click 3");
        // The server delivers in order: a doubled press would arrive before this one.
        xdotool("key z");

        QTRY_COMPARE(listener.calls.size(), std::size_t{10});
        QStringList calls;
        for (const std::string& call : listener.calls) {
            calls << QString::fromStdString(call);
        }
        QCOMPARE(calls.join(u','),
                 QStringLiteral("keyDown 0 A,keyUp 0 A,keyDown 11 B shift,keyUp 11 B,"
                                "mouseDown left,mouseUp left,mouseDown right,mouseUp right,"
                                "keyDown 6 Z,keyUp 6 Z"));
    }

    void eventsCarryMacKeyCodesAndModifierFlags() {
        QVERIFY(record());

        // X keycodes, so that only the key's position counts: both Shifts, A,
        // the right Control, Alt and Super, F5 and Print Screen.
        xdotool("keydown 50 keydown 62 keyup 50 key 38 keyup 62");
        xdotool("keydown 105 keydown 108 keydown 134 key 71 keyup 134 keyup 108 keyup 105");
        xdotool("click 2 click 4 click 5 click 8 key 107 key Escape");

        const std::uint64_t all =
            ModifierFlags::control | ModifierFlags::option | ModifierFlags::command;
        expectEvents({
            modifiersChanged(56, ModifierFlags::shift),
            modifiersChanged(60, ModifierFlags::shift),
            modifiersChanged(56, ModifierFlags::shift),  // the right Shift is still down
            keyDown(0, ModifierFlags::shift),
            keyUp(0, ModifierFlags::shift),
            modifiersChanged(60, 0),
            modifiersChanged(62, ModifierFlags::control),
            modifiersChanged(61, ModifierFlags::control | ModifierFlags::option),
            modifiersChanged(54, all),
            keyDown(96, all),
            keyUp(96, all),
            modifiersChanged(54, ModifierFlags::control | ModifierFlags::option),
            modifiersChanged(61, ModifierFlags::control),
            modifiersChanged(62, 0),
            mouse(RawInputType::otherMouseDown),  // middle; the wheel gives nothing
            mouse(RawInputType::otherMouseUp),
            mouse(RawInputType::otherMouseDown),  // back
            mouse(RawInputType::otherMouseUp),
            keyDown(53),  // Print Screen has no Mac key
            keyUp(53),
        });
    }

    void modifiersHeldBeforeStartingCount() {
        xdotool("keydown 37");  // the left Control
        QVERIFY(record());
        xdotool("key 38 keyup 37");
        expectEvents({keyDown(0, ModifierFlags::control), keyUp(0, ModifierFlags::control),
                      modifiersChanged(59, 0)});
    }

    void keysGrabbedByTheWindowManagerAreStillSeen() {
        QVERIFY(server_.startWindowManager());
        QVERIFY(record());
        xdotool("keydown 133 key 40 keyup 133");  // Super+D, openbox's "show desktop"
        expectEvents({modifiersChanged(55, ModifierFlags::command),
                      keyDown(2, ModifierFlags::command), keyUp(2, ModifierFlags::command),
                      modifiersChanged(55, 0)});
    }

    void aLostDisplayIsReportedOnceAndTheNextStartListensAgain() {
        QVERIFY(record());
        server_.kill();
        QTRY_COMPARE(losses_, 1);
        QCOMPARE(log_.lines(),
                 std::vector<std::string>{
                     "[InputMonitor] Lost the X display connection; monitoring stopped"});

        QVERIFY(server_.restart());
        QVERIFY(record());
        xdotool("key b");
        expectEvents({keyDown(11), keyUp(11)});
        QCOMPARE(losses_, 1);
    }

    // Closing says goodbye to the server, which may be gone unnoticed by then.
    void stoppingAfterTheDisplayWentAwayIsQuiet() {
        QVERIFY(record());
        server_.kill();
        source_->stop();
        QCoreApplication::processEvents();
        QCOMPARE(losses_, 0);
        QVERIFY(log_.lines().empty());
    }

    void withoutAReachableDisplayStartFails() {
        // A socket path of its own, so that no other server can be listening there.
        const QTemporaryDir folder;
        source_ = std::make_unique<X11GlobalEventSource>(
            folder.filePath(QStringLiteral("no-server:0")).toStdString(), log_.logger());
        QVERIFY(!record());
    }
};

QTEST_GUILESS_MAIN(X11InputTest)
#include "X11InputTest.moc"
