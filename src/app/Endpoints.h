#pragma once

#include <cstdint>

#include <QString>

namespace thrumwise {

// The fixed loopback ports of the haptic plug-in (47474) and the companion
// app (8766). For tests only, THRUMWISE_PLUGIN_PORT and
// THRUMWISE_COMPANION_PORT move them, so a test run never meets a real
// plug-in or companion on the machine.
std::uint16_t pluginPort();
std::uint16_t companionPort();

// The update service's base address set when the project was configured,
// unless the THRUMWISE_UPDATE_URL environment variable names another.
QString updateEndpoint();

}  // namespace thrumwise
