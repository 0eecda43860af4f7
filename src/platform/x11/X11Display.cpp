#include "platform/x11/X11Display.h"

// Qt's header before Xlib's (X11ErrorHandling.h brings them): Xlib's macros
// clash with Qt's names.
// clang-format off
#include <QSocketNotifier>
#include "platform/x11/X11ErrorHandling.h"
// clang-format on

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
            watchSocket();
        } else {
            lastFailedAttempt_ = now;
        }
    }
    return display_;
}

void X11Display::setReadHandler(ReadHandler onReadable) {
    onReadable_ = std::move(onReadable);
    watchSocket();
}

void X11Display::watchSocket() {
    if (!onReadable_ || display_ == nullptr || isLost_) {
        notifier_.reset();
    } else if (!notifier_) {
        notifier_ =
            std::make_unique<QSocketNotifier>(XConnectionNumber(display_), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                         [this] { read(); });
    }
}

// A lost connection's socket stays readable until it is closed, which only
// get() does; until then the notifier rests, or it would fire without end.
void X11Display::read() {
    onReadable_(display_);
    if (isLost_ && notifier_) {
        notifier_->setEnabled(false);
    }
}

// The notifier goes first: its socket's number is free again once closed.
void X11Display::close() {
    notifier_.reset();
    if (display_ != nullptr) {
        X11ErrorHandling::shared().close(display_);
        display_ = nullptr;
    }
}

}  // namespace thrumwise
