#pragma once

#include "model/GameProfile.h"

#include <optional>
#include <string>
#include <string_view>

namespace thrumwise {

// YYYY-MM-DDTHH:MM:SSZ in UTC. Sub-second parts are dropped (the instant is
// rounded down to its second). Empty when the year has no four-digit form.
std::optional<std::string> formatIsoDate(Timestamp instant);

// Accepts exactly YYYY-MM-DDTHH:MM:SSZ with a real calendar date; anything
// else, a fractional second or an offset included, is rejected.
std::optional<Timestamp> parseIsoDate(std::string_view text);

}  // namespace thrumwise
