#pragma once

#include <optional>
#include <string>

namespace thrumwise {

// The application the user is working in: its identifier (the window class on
// X11) and its name, either of which may be missing.
struct FrontmostApplication {
    std::optional<std::string> bundleId;
    std::optional<std::string> localizedName;
};

class FrontmostApplicationSource {
public:
    virtual ~FrontmostApplicationSource() = default;
    // Nothing when no application is in front. Called five times a second on
    // the GUI thread, so it must be cheap.
    virtual std::optional<FrontmostApplication> frontmostApplication() = 0;
};

}  // namespace thrumwise
