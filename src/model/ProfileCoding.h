#pragma once

#include "model/GameProfile.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace thrumwise {

// Says what was wrong and where: which profile, which mapping, which key.
class ProfileCodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The profiles file's content: a pretty-printed JSON array, keys in field
// order, absent optionals left out, dates in whole seconds.
// Throws ProfileCodingError for a value that has no JSON form (text that is
// not UTF-8, a date outside the years 0000 to 9999).
std::string encodeProfiles(const std::vector<GameProfile>& profiles);

// All or nothing: one bad profile or mapping fails the whole array.
// Throws ProfileCodingError.
std::vector<GameProfile> decodeProfiles(std::string_view json);

}  // namespace thrumwise
