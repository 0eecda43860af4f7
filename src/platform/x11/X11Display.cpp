#include "platform/x11/X11Display.h"

#include "platform/x11/X11ErrorHandling.h"

#include <utility>

#include <X11/Xlib.h>

namespace thrumwise {

X11Display::X11Display(std::string name) : name_(std::move(name)) {}

X11Display::~X11Display() {
    close();
}

Display* X11Display::get() {
    constexpr auto kRetryPause = std::chrono::seconds(3);
    if (display_ != nullptr && isLost_) {
        close();
    }
    const auto now = std::chrono::steady_clock::now();
    if (display_ == nullptr && (!lastFailedAttempt_ || now - *lastFailedAttempt_ >= kRetryPause)) {
        display_ = XOpenDisplay(name_.empty() ? nullptr : name_.c_str());
        isLost_ = false;
        if (display_ != nullptr) {
            X11ErrorHandling::shared().adopt(display_, &isLost_);
            ++connectionCount_;
            lastFailedAttempt_.reset();
        } else {
            lastFailedAttempt_ = now;
        }
    }
    return display_;
}

void X11Display::close() {
    if (display_ != nullptr) {
        X11ErrorHandling::shared().close(display_);
        display_ = nullptr;
    }
}

}  // namespace thrumwise
