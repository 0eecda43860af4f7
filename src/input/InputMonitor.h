#pragma once

#include "input/InputListener.h"
#include "model/InputTypes.h"
#include "platform/GlobalEventSource.h"

#include <bitset>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <QObject>

namespace thrumwise {

class Logger;

// Turns the session's raw key and mouse events into presses and releases with
// the held modifiers, suppresses keyboard auto-repeat, tracks what is held,
// and tells its listeners and the display what happened.
class InputMonitor : public QObject {
    Q_OBJECT

public:
    InputMonitor(GlobalEventSource& source, Logger& logger);
    // Stops the source, whose handlers point here.
    ~InputMonitor() override;

    InputMonitor(const InputMonitor&) = delete;
    InputMonitor& operator=(const InputMonitor&) = delete;

    // Does nothing while monitoring. A failure is logged and leaves the
    // monitor stopped, so a later start tries again.
    void start();
    // Also when stopped: forgets held keys and buttons (not modifiers) and logs.
    void stop();
    bool isMonitoring() const { return isMonitoring_; }

    // Listeners hear each event in the order they were added. One may be
    // added or removed at any time, also by a listener while it is called;
    // one added during an event hears the next one.
    void addListener(InputListener& listener);
    void removeListener(InputListener& listener);

    // Gets "⌨ " and a key name, or a mouse button with an arrow: what the
    // user last did. Always called from the event loop after the event was
    // handled, never inside the handler.
    using LastInputHandler = std::function<void(std::string text)>;
    void setOnLastInput(LastInputHandler handler) { onLastInput_ = std::move(handler); }

    bool isKeyHeld(std::uint16_t keyCode) const;
    bool isMouseButtonHeld(MouseButton button) const;
    ModifierSet heldModifiers() const;

private:
    void handle(const RawInputEvent& event);
    template <typename Call>
    void notifyListeners(Call call);
    void handleMouse(MouseButton button, bool isDown, bool isFocusLossRelease);
    void handleKey(std::uint16_t keyCode, ModifierSet modifiers, bool isDown);
    void forgetHeldKeysAndButtons();
    void postLastInput(std::string text);

    GlobalEventSource& source_;
    Logger& logger_;
    bool isMonitoring_ = false;

    mutable std::mutex lock_;  // guards the three held sets
    std::bitset<65536> heldKeys_;
    MouseButtonSet heldMouseButtons_;
    ModifierSet heldModifiers_;

    // Removed ones are left as null until no event is being handed out.
    std::vector<InputListener*> listeners_;
    int notifyDepth_ = 0;
    LastInputHandler onLastInput_;
    bool hasRemovedListeners_ = false;
};

}  // namespace thrumwise
