#pragma once

#include "platform/FrontmostApplicationSource.h"

#include <memory>

struct _XDisplay;  // NOLINT(bugprone-reserved-identifier)

namespace thrumwise {

class X11Display;

// The focused top-level window of an X display, read from the window
// manager's _NET_ACTIVE_WINDOW (or the input focus where no EWMH window
// manager runs). Its WM_CLASS class is the application's identifier.
// With a change handler, it also listens on the display's connection for
// _NET_ACTIVE_WINDOW changing, the focus moving and the front window's class
// changing or its end.
class X11FrontmostApplicationSource final : public FrontmostApplicationSource {
public:
    explicit X11FrontmostApplicationSource(X11Display& display);
    ~X11FrontmostApplicationSource() override;

    X11FrontmostApplicationSource(const X11FrontmostApplicationSource&) = delete;
    X11FrontmostApplicationSource& operator=(const X11FrontmostApplicationSource&) = delete;

    std::optional<FrontmostApplication> frontmostApplication() override;
    void setChangeHandler(ChangeHandler onMayHaveChanged) override;

private:
    struct Cache;

    _XDisplay* open();
    std::optional<FrontmostApplication> lookUp(_XDisplay* display);
    void listenOnRoot(_XDisplay* display);
    void readEvents(_XDisplay* display, int mode);

    X11Display& display_;
    std::unique_ptr<Cache> cache_;
    ChangeHandler onChange_;
};

}  // namespace thrumwise
