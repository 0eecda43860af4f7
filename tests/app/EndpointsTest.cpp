#include "app/Endpoints.h"

#include <QTest>

using namespace thrumwise;

namespace {

// Sets an environment variable for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value)
        : name_(name), saved_(qgetenv(name)), wasSet_(qEnvironmentVariableIsSet(name)) {
        qputenv(name, value);
    }
    ~ScopedVariable() {
        if (wasSet_) {
            qputenv(name_, saved_);
        } else {
            qunsetenv(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    QByteArray saved_;
    bool wasSet_;
};

}  // namespace

class EndpointsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Only a whole port number moves a fixed port; anything else leaves it.
    void portsMoveOnlyForAValidPortNumber() {
        for (const char* value : {"", "0", "65536", "-1", "12ab"}) {
            const ScopedVariable plugin("THRUMWISE_PLUGIN_PORT", value);
            const ScopedVariable companion("THRUMWISE_COMPANION_PORT", value);
            QCOMPARE(pluginPort(), std::uint16_t{47474});
            QCOMPARE(companionPort(), std::uint16_t{8766});
        }
        const ScopedVariable plugin("THRUMWISE_PLUGIN_PORT", "65535");
        const ScopedVariable companion("THRUMWISE_COMPANION_PORT", "1");
        QCOMPARE(pluginPort(), std::uint16_t{65535});
        QCOMPARE(companionPort(), std::uint16_t{1});
    }

    void theEnvironmentOverridesTheConfiguredUpdateEndpoint() {
        const QString configured = QStringLiteral(THRUMWISE_CONFIGURED_UPDATE_URL);
        {
            const ScopedVariable empty("THRUMWISE_UPDATE_URL", "");
            QCOMPARE(updateEndpoint(), configured);
        }
        const ScopedVariable elsewhere("THRUMWISE_UPDATE_URL", "http://127.0.0.1:9/elsewhere");
        QCOMPARE(updateEndpoint(), QStringLiteral("http://127.0.0.1:9/elsewhere"));
    }
};

QTEST_GUILESS_MAIN(EndpointsTest)
#include "EndpointsTest.moc"
