#include "platform/x11/X11Display.h"
#include "support/XvfbServer.h"

#include <QTest>
// After Qt's headers: Xlib's macros clash with Qt's names.
#include <X11/Xlib.h>

using namespace thrumwise;

class X11DisplayTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What the server sends is handed over as it comes, on every connection the
    // display opens; a lost one is handed over once, not without end (its
    // socket stays readable until it is closed).
    void theServerIsReadWhileThereIsAHandler() {
        test::XvfbServer server;
        QVERIFY(server.start());
        X11Display display(server.displayName().toStdString());
        int reads = 0;
        display.setReadHandler([&](Display* connection) {
            ++reads;
            for (XEvent event{}; XPending(connection) > 0;) {
                XNextEvent(connection, &event);
            }
        });
        // A key typed over the root window, which we listen to.
        const auto readsAfterATouch = [&] {
            XSelectInput(display.get(), DefaultRootWindow(display.get()), KeyPressMask);
            XFlush(display.get());
            reads = 0;
            return server.run(QStringLiteral("xdotool"),
                              {QStringLiteral("key"), QStringLiteral("a")}) &&
                   QTest::qWaitFor([&] { return reads > 0; }, 2000);
        };
        QVERIFY(display.get() && readsAfterATouch());
        reads = 0;
        server.kill();
        QTRY_VERIFY(reads > 0);
        QTest::qWait(200);
        QCOMPARE(reads, 1);
        QVERIFY(server.restart() && display.get() && readsAfterATouch());
        display.setReadHandler({});
        QVERIFY(!readsAfterATouch());
    }
};

QTEST_GUILESS_MAIN(X11DisplayTest)
#include "X11DisplayTest.moc"
