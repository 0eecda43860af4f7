#pragma once

#include <functional>
#include <string>

namespace thrumwise {

// Asks the haptic plug-in to play one effect.
class HapticTrigger {
public:
    using Completion = std::function<void(bool accepted)>;

    virtual ~HapticTrigger() = default;

    // Never waits. `done`, when set, runs later on the GUI thread with true
    // when the plug-in accepted the effect and false otherwise.
    virtual void trigger(std::string pattern, Completion done) = 0;
};

}  // namespace thrumwise
