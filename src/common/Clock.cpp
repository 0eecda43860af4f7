#include "common/Clock.h"

namespace thrumwise {

SteadyClock& SteadyClock::shared() {
    static auto* instance = new SteadyClock();
    return *instance;
}

}  // namespace thrumwise
