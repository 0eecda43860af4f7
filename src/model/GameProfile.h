#pragma once

#include "model/KeyMapping.h"

#include <chrono>
#include <string>
#include <vector>

namespace thrumwise {

// An absolute instant. Kept with sub-second precision in memory; the profiles
// file stores whole seconds. Microseconds reach every four-digit year.
using Timestamp = std::chrono::sys_time<std::chrono::microseconds>;

inline Timestamp currentTimestamp() {
    return std::chrono::time_point_cast<std::chrono::microseconds>(
        std::chrono::system_clock::now());
}

// The settings for one application. Field order is the JSON key order.
struct GameProfile {
    std::string id;
    std::string displayName;
    std::string bundleId;
    std::vector<KeyMapping> mappings;
    bool isEnabled = true;
    bool blockPressmint = false;
    Timestamp createdAt{};
    Timestamp updatedAt{};

    bool operator==(const GameProfile&) const = default;

    // A fresh, enabled profile without mappings, created and updated at `now`.
    static GameProfile create(std::string displayName, std::string bundleId,
                              Timestamp now = currentTimestamp());
};

}  // namespace thrumwise
