#pragma once

namespace thrumwise {

class AppIconLookup;
class AppState;
class HapticTrigger;

// What the views show and act on, handed down from the composition root.
struct ViewServices {
    AppState& state;
    AppIconLookup& icons;
    HapticTrigger& haptics;  // plays "Test Pattern" in the mapping sheet
};

}  // namespace thrumwise
