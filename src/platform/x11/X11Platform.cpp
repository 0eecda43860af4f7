#include "common/Logger.h"
#include "platform/Platform.h"
#include "platform/x11/X11GlobalEventSource.h"

namespace thrumwise::platform {

GlobalEventSource& globalEventSource() {
    static auto* source = new X11GlobalEventSource({}, Logger::shared());
    return *source;
}

}  // namespace thrumwise::platform
