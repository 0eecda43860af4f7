#pragma once

#include "discovery/InstalledApp.h"

#include <vector>

namespace thrumwise {

// The list the pickers show: the first entry for each identifier is kept, then the entries are
// sorted by lower-cased name, compared by Unicode scalar values after canonical composition, so
// the order is the same in every locale. The sort is stable: equal names keep their order.
std::vector<InstalledApp> uniqueAppsSortedByName(std::vector<InstalledApp> apps);

}  // namespace thrumwise
