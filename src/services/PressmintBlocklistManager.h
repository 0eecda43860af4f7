#pragma once

#include "services/CompanionBlocklist.h"
#include "services/HttpClient.h"

#include <cstdint>
#include <string>

namespace thrumwise {

class Logger;

// Tells the companion app Pressmint, over its loopback service, to stay
// silent for an application or to speak again. Requests reach it one at a
// time in the order they were made, so an unblock followed by a block of the
// same application can never end unblocked.
class PressmintBlocklistManager final : public CompanionBlocklist {
public:
    PressmintBlocklistManager(std::uint16_t port, Logger& logger);

    // Both do nothing for an empty identifier.
    void blockApp(const std::string& bundleId) override;
    void unblockApp(const std::string& bundleId) override;

private:
    void send(const std::string& path, const std::string& bundleId);

    const std::string baseURL_;
    Logger& logger_;
    HttpClient session_;
};

}  // namespace thrumwise
