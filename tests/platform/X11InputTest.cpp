#include "platform/x11/X11GlobalEventSource.h"
#include "support/LogRecorder.h"
#include "support/XvfbServer.h"

#include <memory>

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

QString key(RawInputType type, int code, std::uint64_t flags = 0) {
    return describe({type, code, flags});
}

constexpr auto down = RawInputType::keyDown;
constexpr auto up = RawInputType::keyUp;
constexpr auto alone = RawInputType::modifiersChanged;

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

    // By key position: X keycodes for both Shifts, A, the right Control, Alt and
    // Super, F5, Print Screen. Only the master devices are heard: nothing twice.
    void eventsCarryMacKeyCodesAndModifierFlagsOncePerPress() {
        QVERIFY(record());
        xdotool("keydown 50 keydown 62 keyup 50 key 38 keyup 62");
        xdotool("keydown 105 keydown 108 keydown 134 key 71 keyup 134 keyup 108 keyup 105");
        xdotool("click 1 click 3 click 2 click 4 key 107 key Escape");
        const std::uint64_t shift = ModifierFlags::shift;
        const std::uint64_t control = ModifierFlags::control;
        const std::uint64_t option = ModifierFlags::option;
        const std::uint64_t all = control | option | ModifierFlags::command;
        expectEvents({
            key(alone, 56, shift),
            key(alone, 60, shift),
            key(alone, 56, shift),  // the right Shift is still down
            key(down, 0, shift),
            key(up, 0, shift),
            key(alone, 60, 0),
            key(alone, 62, control),
            key(alone, 61, control | option),
            key(alone, 54, all),
            key(down, 96, all),
            key(up, 96, all),
            key(alone, 54, control | option),
            key(alone, 61, control),
            key(alone, 62, 0),
            describe({RawInputType::leftMouseDown}),
            describe({RawInputType::leftMouseUp}),
            describe({RawInputType::rightMouseDown}),
            describe({RawInputType::rightMouseUp}),
            describe({RawInputType::otherMouseDown}),  // middle; the wheel gives nothing
            describe({RawInputType::otherMouseUp}),
            key(down, 53),
            key(up, 53),  // Print Screen has no Mac key
        });
    }

    // Held before the start, and grabbed by the window manager: both still count.
    void modifiersHeldBeforeStartingAndGrabbedKeysCount() {
        QVERIFY(server_.startWindowManager());
        xdotool("keydown 37");  // the left Control
        QVERIFY(record());
        xdotool("key 38 keyup 37");
        xdotool("keydown 133 key 40 keyup 133");  // Super+D, openbox's "show desktop"
        const std::uint64_t command = ModifierFlags::command;
        expectEvents({key(down, 0, ModifierFlags::control), key(up, 0, ModifierFlags::control),
                      key(alone, 59, 0), key(alone, 55, command), key(down, 2, command),
                      key(up, 2, command), key(alone, 55, 0)});
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
        expectEvents({key(down, 11), key(up, 11)});
        // Closing says goodbye to the server, which may be gone unnoticed by then.
        server_.kill();
        source_->stop();
        QCoreApplication::processEvents();
        QCOMPARE(losses_, 1);
        QCOMPARE(log_.lines().size(), std::size_t{1});
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
