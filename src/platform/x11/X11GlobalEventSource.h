#pragma once

#include "platform/GlobalEventSource.h"

#include <memory>
#include <string>

#include <QObject>

class QSocketNotifier;

namespace thrumwise {

class Logger;

// Every key and mouse-button event of an X display, observed through XInput
// 2.2 raw events on a connection of its own, and handed on with macOS key
// codes. It only listens: no grab, nothing altered or held back.
class X11GlobalEventSource final : public QObject, public GlobalEventSource {
public:
    // An empty display name means $DISPLAY.
    X11GlobalEventSource(std::string displayName, Logger& logger);
    ~X11GlobalEventSource() override;

    bool start(EventHandler onEvent, LostHandler onLost) override;
    void stop() override;

private:
    class Connection;

    void drain();
    void close();

    std::string displayName_;
    Logger& logger_;
    std::unique_ptr<Connection> connection_;
    QSocketNotifier* notifier_ = nullptr;  // watches the connection's socket
    EventHandler onEvent_;
    LostHandler onLost_;
};

}  // namespace thrumwise
