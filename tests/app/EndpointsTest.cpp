#include "app/Endpoints.h"

#include <QTest>

using namespace thrumwise;

class EndpointsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Only a whole port number moves a fixed port; anything else leaves it.
    void portsMoveOnlyForAValidPortNumber() {
        for (const char* value : {"", "0", "65536", "-1", "12ab"}) {
            qputenv("THRUMWISE_PLUGIN_PORT", value);
            qputenv("THRUMWISE_COMPANION_PORT", value);
            QCOMPARE(pluginPort(), std::uint16_t{47474});
            QCOMPARE(companionPort(), std::uint16_t{8766});
        }
        qputenv("THRUMWISE_PLUGIN_PORT", "65535");
        qputenv("THRUMWISE_COMPANION_PORT", "1");
        QCOMPARE(pluginPort(), std::uint16_t{65535});
        QCOMPARE(companionPort(), std::uint16_t{1});
    }

    void theEnvironmentOverridesTheConfiguredUpdateEndpoint() {
        qputenv("THRUMWISE_UPDATE_URL", "");
        QCOMPARE(updateEndpoint(), QStringLiteral(THRUMWISE_CONFIGURED_UPDATE_URL));
        qputenv("THRUMWISE_UPDATE_URL", "http://127.0.0.1:9/elsewhere");
        QCOMPARE(updateEndpoint(), QStringLiteral("http://127.0.0.1:9/elsewhere"));
    }
};

QTEST_GUILESS_MAIN(EndpointsTest)
#include "EndpointsTest.moc"
