#include "app/Endpoints.h"

#include <QTest>

using namespace thrumwise;

class EndpointsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Only a whole port number moves a fixed port; only a set variable, the update endpoint.
    void theEnvironmentMovesAnEndpointOnlyWithAValidValue() {
        for (const std::string value : {"", "0", "65536", "-1", "12ab", "65535"}) {
            qputenv("THRUMWISE_PLUGIN_PORT", value.c_str());
            qputenv("THRUMWISE_COMPANION_PORT", value.c_str());
            QVERIFY(value == "65535" ? pluginPort() == 65535 && companionPort() == 65535
                                     : pluginPort() == 47474 && companionPort() == 8766);
        }
        qputenv("THRUMWISE_UPDATE_URL", "");
        QCOMPARE(updateEndpoint(), QStringLiteral(THRUMWISE_CONFIGURED_UPDATE_URL));
        qputenv("THRUMWISE_UPDATE_URL", "http://127.0.0.1:9/elsewhere");
        QCOMPARE(updateEndpoint(), QStringLiteral("http://127.0.0.1:9/elsewhere"));
    }
};

QTEST_GUILESS_MAIN(EndpointsTest)
#include "EndpointsTest.moc"
