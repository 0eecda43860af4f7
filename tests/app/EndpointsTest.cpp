#include "app/Endpoints.h"

#include <QTest>

using namespace thrumwise;

class EndpointsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Only a whole port number moves a fixed port, and only a set variable the
    // configured update endpoint.
    void theEnvironmentMovesAnEndpointOnlyWithAValidValue() {
        for (const char* value : {"", "0", "65536", "-1", "12ab"}) {
            qputenv("THRUMWISE_PLUGIN_PORT", value);
            qputenv("THRUMWISE_COMPANION_PORT", value);
            QVERIFY(pluginPort() == 47474 && companionPort() == 8766);
        }
        qputenv("THRUMWISE_PLUGIN_PORT", "65535");
        qputenv("THRUMWISE_COMPANION_PORT", "1");
        QVERIFY(pluginPort() == 65535 && companionPort() == 1);
        qputenv("THRUMWISE_UPDATE_URL", "");
        QCOMPARE(updateEndpoint(), QStringLiteral(THRUMWISE_CONFIGURED_UPDATE_URL));
        qputenv("THRUMWISE_UPDATE_URL", "http://127.0.0.1:9/elsewhere");
        QCOMPARE(updateEndpoint(), QStringLiteral("http://127.0.0.1:9/elsewhere"));
    }
};

QTEST_GUILESS_MAIN(EndpointsTest)
#include "EndpointsTest.moc"
