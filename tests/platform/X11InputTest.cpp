#include "platform/x11/X11GlobalEventSource.h"
#include "support/LogRecorder.h"
#include "support/XvfbServer.h"

#include <memory>

#include <QTest>
// After Qt's headers: Xlib's macros clash with Qt's names.
#include <X11/Xlib.h>

using namespace thrumwise;

class X11InputTest : public QObject {
    Q_OBJECT

    test::XvfbServer server_;
    test::LogRecorder log_;
    std::unique_ptr<X11GlobalEventSource> source_;
    QStringList events_;
    int losses_ = 0;

    void xdotool(const char* arguments) const {
        QVERIFY2(server_.run(QStringLiteral("xdotool"), QString::fromUtf8(arguments).split(u' ')),
                 arguments);
    }
    // Each event as its type ("dumLlRrOo": key down, up, modifiers alone, left,
    // right and other buttons down and up), a key's Mac code, the held
    // modifiers (shift, control, option, kommand) and "!" for a release on focus loss.
    bool record() {
        return source_->start(
            [this](const RawInputEvent& event) {
                const auto type = static_cast<std::size_t>(event.type);
                QString text = QLatin1Char("dumLlRrOo"[type]) +
                               (type < 3 ? QString::number(event.keyCode) : QString());
                for (std::size_t bit = 0; bit < 4; ++bit) {  // the flags' bits are in this order
                    if ((event.flags & (ModifierFlags::shift << bit)) != 0) {
                        text += QLatin1Char("scok"[bit]);
                    }
                }
                events_ << text + (event.isFocusLossRelease ? QStringLiteral("!") : QString());
            },
            [this] { ++losses_; });
    }
    void expectEvents(const char* expected) {
        const QStringList list = QString::fromUtf8(expected).split(u' ');
        QTRY_COMPARE(events_.size(), list.size());
        QCOMPARE(std::exchange(events_, {}), list);
    }
    void newSource(const QString& displayName) {
        source_ = std::make_unique<X11GlobalEventSource>(displayName.toStdString(), log_.logger());
    }

private Q_SLOTS:
    // X keycodes for the left Control (held before the start), A, both Shifts,
    // the right Control, Alt and Super, F5, Print Screen (no Mac key); the wheel
    // (4) gives nothing. Under XWayland the focus goes to None, or PointerRoot
    // over no X window, when a Wayland window takes the keyboard, and releases
    // never reach X: everything held is released then, once.
    void eventsCarryMacKeyCodesAndModifiersOnceEachUntilTheFocusOrDisplayIsLost() {
        QVERIFY(server_.start());
        newSource(server_.displayName());
        xdotool("keydown 37");
        QVERIFY(record());
        xdotool("key 38 keyup 37 keydown 50 keydown 62 keyup 50 key 38 keyup 62");
        xdotool("keydown 105 keydown 108 keydown 134 key 71 keyup 134 keyup 108 keyup 105");
        xdotool("click 1 click 3 click 2 click 4 key 107 key Escape");
        expectEvents(
            "d0c u0c m59 m56s m60s m56s d0s u0s m60 m62c m61co m54cok d96cok u96cok "
            "m54co m61c m62 L l R r O o d53 u53");

        {  // closed before the server goes
            const std::unique_ptr<Display, int (*)(Display*)> mover(
                XOpenDisplay(server_.displayName().toLocal8Bit().constData()), XCloseDisplay);
            const Window window = XCreateSimpleWindow(mover.get(), XDefaultRootWindow(mover.get()),
                                                      0, 0, 200, 200, 0, 0, 0);
            XMapWindow(mover.get(), window);
            const auto focus = [&](Window to) {
                XSetInputFocus(mover.get(), to, RevertToNone, CurrentTime);
                XSync(mover.get(), False);
            };
            focus(window);
            xdotool("mousemove 100 100 keydown 50 keydown 38 mousedown 2");
            focus(PointerRoot);  // over a window: still in X
            focus(None);
            focus(window);
            focus(None);  // nothing is held any more
            xdotool("keyup 38 keyup 50 mouseup 2 keydown 39 mousemove 600 600");
            focus(PointerRoot);
            xdotool("keyup 39");
            expectEvents("m56s d0s Os u0s! m56! o! u0 m56 o d1 u1! u1");
        }

        server_.kill();
        QTRY_COMPARE(losses_, 1);
        const std::vector<std::string> lost{
            "[InputMonitor] Lost the X display connection; monitoring stopped"};
        QCOMPARE(log_.lines(), lost);
        QVERIFY(server_.restart() && record());
        xdotool("key b");
        expectEvents("d11 u11");
        server_.kill();  // stopping says goodbye to a server gone unnoticed
        source_->stop();
        QCoreApplication::processEvents();
        QVERIFY(losses_ == 1 && log_.lines() == lost);
        newSource(QStringLiteral("/no/such/folder/x:0"));  // a socket path nothing listens on
        QVERIFY(!record());
    }
};

QTEST_GUILESS_MAIN(X11InputTest)
#include "X11InputTest.moc"
