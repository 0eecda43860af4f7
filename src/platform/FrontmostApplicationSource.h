#pragma once

#include <functional>
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
    using ChangeHandler = std::function<void()>;

    virtual ~FrontmostApplicationSource() = default;
    // Nothing when no application is in front. Called five times a second on
    // the GUI thread, so it must be cheap.
    virtual std::optional<FrontmostApplication> frontmostApplication() = 0;

    // Asks to be told, on the GUI thread, that the application in front may
    // have changed, so that a look need not wait for the next poll. The hint
    // may come in bursts and from inside frontmostApplication(): the handler
    // should arrange a look, not look at once. An empty handler ends the
    // telling. A source that cannot tell leaves everything to the poll.
    // NOLINTNEXTLINE(performance-unnecessary-value-param): taken by value for the overrides to keep
    virtual void setChangeHandler(ChangeHandler /*onMayHaveChanged*/) {}
};

}  // namespace thrumwise
