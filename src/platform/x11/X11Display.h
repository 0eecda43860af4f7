#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QSocketNotifier;

// Xlib's Display, declared here so that Xlib's macros stay out of the headers.
struct _XDisplay;  // NOLINT(bugprone-reserved-identifier)

namespace thrumwise {

// A display connection that survives the server going away: calls made after
// a loss fail quietly, and the next get() opens a fresh connection.
class X11Display {
public:
    // An empty name means $DISPLAY.
    explicit X11Display(std::string name);
    ~X11Display();

    X11Display(const X11Display&) = delete;
    X11Display& operator=(const X11Display&) = delete;

    // The open connection, reopened when the last one was lost; null when the
    // display cannot be reached. A failed attempt is not repeated for a few
    // seconds: connecting to a remote display can take long, and the callers
    // poll on the GUI thread.
    _XDisplay* get();

    // How many connections get() has opened. A new count means a new
    // connection, on which the ids and atoms learnt on the last one mean
    // nothing (the address of the new one may well be that of the old).
    std::uint64_t connectionCount() const { return connectionCount_; }

    // Runs `onReadable` on the GUI thread whenever the server has sent
    // something, on this connection and on every one opened later; an empty
    // handler stops it. The handler must read what came (XPending), and must
    // neither call get() nor change the handler: it runs inside the socket's
    // notifier, which both may replace. It is handed the connection instead.
    using ReadHandler = std::function<void(_XDisplay* display)>;
    void setReadHandler(ReadHandler onReadable);

private:
    void watchSocket();
    void read();
    void close();

    std::string name_;
    _XDisplay* display_ = nullptr;
    ReadHandler onReadable_;
    std::unique_ptr<QSocketNotifier> notifier_;  // on display_'s socket while there is a handler
    bool isLost_ = false;
    std::uint64_t connectionCount_ = 0;
    std::optional<std::chrono::steady_clock::time_point> lastFailedAttempt_;
};

}  // namespace thrumwise
