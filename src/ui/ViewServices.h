#pragma once

namespace thrumwise {

class AppFilePicker;
class AppIconLookup;
class AppState;
class HapticTrigger;
class InstalledApps;

// What the views show and act on, handed down from the composition root.
struct ViewServices {
    AppState& state;
    AppIconLookup& icons;
    HapticTrigger& haptics;  // plays "Test Pattern" in the mapping sheet
    InstalledApps& apps;     // what the application pickers list
    AppFilePicker& files;    // where the pickers browse
};

}  // namespace thrumwise
