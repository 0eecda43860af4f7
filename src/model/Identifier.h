#pragma once

#include <string>

namespace thrumwise {

// A new upper-case UUID string (8-4-4-4-12 hexadecimal groups).
std::string newIdentifier();

}  // namespace thrumwise
