#pragma once

namespace thrumwise {

class AppIconLookup;
class AppState;

// What the views show and act on, handed down from the composition root.
struct ViewServices {
    AppState& state;
    AppIconLookup& icons;
};

}  // namespace thrumwise
