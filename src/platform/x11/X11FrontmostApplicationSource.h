#pragma once

#include "platform/FrontmostApplicationSource.h"

#include <memory>

namespace thrumwise {

class X11Display;

// The focused top-level window of an X display, read from the window
// manager's _NET_ACTIVE_WINDOW (or the input focus where no EWMH window
// manager runs). Its WM_CLASS class is the application's identifier.
class X11FrontmostApplicationSource final : public FrontmostApplicationSource {
public:
    explicit X11FrontmostApplicationSource(X11Display& display);
    ~X11FrontmostApplicationSource() override;

    std::optional<FrontmostApplication> frontmostApplication() override;

private:
    struct Cache;

    X11Display& display_;
    std::unique_ptr<Cache> cache_;
};

}  // namespace thrumwise
