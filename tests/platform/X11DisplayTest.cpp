#include "platform/x11/X11Display.h"
#include "support/XvfbServer.h"

#include <QTest>
// After Qt's headers: Xlib's macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace thrumwise;

class X11DisplayTest : public QObject {
    Q_OBJECT

    test::XvfbServer server_;

    // Asks to hear of the root window's properties on `display`.
    static void listenOnRoot(Display* display) {
        XSelectInput(display, DefaultRootWindow(display), PropertyChangeMask);
        XFlush(display);
    }

    // Another client changes a property of the root window.
    void touchRoot() const {
        Display* writer = XOpenDisplay(server_.displayName().toUtf8().constData());
        QVERIFY(writer);
        const unsigned char byte = 1;
        XChangeProperty(writer, DefaultRootWindow(writer), XInternAtom(writer, "TOUCHED", False),
                        XA_INTEGER, 8, PropModeReplace, &byte, 1);
        XCloseDisplay(writer);
    }

private Q_SLOTS:
    void init() { QVERIFY(server_.start()); }
    void cleanup() { server_.kill(); }

    // What the server sends is handed over as it comes, on every connection
    // the display opens; a lost one is handed over once, not without end
    // (its socket stays readable until it is closed).
    void theServerIsReadWhileThereIsAHandler() {
        X11Display display(server_.displayName().toStdString());
        int reads = 0;
        display.setReadHandler([&](Display* connection) {
            ++reads;
            while (XPending(connection) > 0) {
                XEvent event{};
                XNextEvent(connection, &event);
            }
        });
        QVERIFY(display.get());
        listenOnRoot(display.get());
        touchRoot();
        QTRY_VERIFY(reads > 0);

        reads = 0;
        server_.kill();
        QTRY_VERIFY(reads > 0);
        QTest::qWait(200);
        QCOMPARE(reads, 1);

        QVERIFY(server_.restart());
        QVERIFY(display.get());
        listenOnRoot(display.get());
        reads = 0;
        touchRoot();
        QTRY_VERIFY(reads > 0);

        display.setReadHandler({});
        reads = 0;
        touchRoot();
        QTest::qWait(100);
        QCOMPARE(reads, 0);
    }
};

QTEST_GUILESS_MAIN(X11DisplayTest)
#include "X11DisplayTest.moc"
