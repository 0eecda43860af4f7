#pragma once

namespace thrumwise {

class GlobalEventSource;

// The platform's implementations, chosen when the project is configured.
namespace platform {

GlobalEventSource& globalEventSource();

}  // namespace platform
}  // namespace thrumwise
