#include "app/Endpoints.h"

#include <QtGlobal>

namespace thrumwise {

namespace {

std::uint16_t portFromEnvironment(const char* variable, std::uint16_t fixed) {
    bool isNumber = false;
    const int value = qEnvironmentVariableIntValue(variable, &isNumber);
    return isNumber && value > 0 && value <= 65535 ? static_cast<std::uint16_t>(value) : fixed;
}

}  // namespace

std::uint16_t pluginPort() {
    return portFromEnvironment("THRUMWISE_PLUGIN_PORT", 47474);
}

std::uint16_t companionPort() {
    return portFromEnvironment("THRUMWISE_COMPANION_PORT", 8766);
}

QString updateEndpoint() {
    const QString fromEnvironment = qEnvironmentVariable("THRUMWISE_UPDATE_URL");
    return fromEnvironment.isEmpty() ? QString::fromUtf8(THRUMWISE_UPDATE_URL) : fromEnvironment;
}

}  // namespace thrumwise
