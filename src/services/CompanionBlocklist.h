#pragma once

#include <string>

namespace thrumwise {

// Asks the companion click-feedback app to stay silent for an application, or
// to speak again. Both return at once; the outcome is only logged.
class CompanionBlocklist {
public:
    virtual ~CompanionBlocklist() = default;
    virtual void blockApp(const std::string& bundleId) = 0;
    virtual void unblockApp(const std::string& bundleId) = 0;
};

}  // namespace thrumwise
