#include "model/GameProfile.h"

#include "model/Identifier.h"

#include <utility>

namespace thrumwise {

GameProfile GameProfile::create(std::string displayName, std::string bundleId, Timestamp now) {
    GameProfile profile;
    profile.id = newIdentifier();
    profile.displayName = std::move(displayName);
    profile.bundleId = std::move(bundleId);
    profile.createdAt = now;
    profile.updatedAt = now;
    return profile;
}

}  // namespace thrumwise
