#pragma once

#include "model/InputTypes.h"
#include "platform/GlobalEventSource.h"

#include <bitset>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace thrumwise {

class AppState;
class Logger;

// Turns the session's raw key and mouse events into presses and releases with
// the held modifiers, suppresses keyboard auto-repeat, tracks what is held,
// and shows the last input in the application state.
class InputMonitor {
public:
    using KeyCallback = std::function<void(
        std::uint16_t keyCode, std::optional<std::string_view> keyName, ModifierSet modifiers)>;
    using MouseCallback = std::function<void(MouseButton button, ModifierSet modifiers)>;

    InputMonitor(GlobalEventSource& source, AppState& state, Logger& logger);
    // Stops the source, whose handlers point here.
    ~InputMonitor();

    InputMonitor(const InputMonitor&) = delete;
    InputMonitor& operator=(const InputMonitor&) = delete;

    static InputMonitor& shared();

    // Does nothing while monitoring. A failure is logged and leaves the
    // monitor stopped, so a later start tries again.
    void start();
    // Also when stopped: forgets held keys and buttons (not modifiers) and logs.
    void stop();
    bool isMonitoring() const { return isMonitoring_; }

    // Each replaces the previous callback. Called on the GUI thread, never
    // under the monitor's lock.
    void setOnKeyDown(KeyCallback callback) { onKeyDown_ = std::move(callback); }
    void setOnKeyUp(KeyCallback callback) { onKeyUp_ = std::move(callback); }
    void setOnMouseDown(MouseCallback callback) { onMouseDown_ = std::move(callback); }
    void setOnMouseUp(MouseCallback callback) { onMouseUp_ = std::move(callback); }

    bool isKeyHeld(std::uint16_t keyCode) const;
    bool isMouseButtonHeld(MouseButton button) const;
    ModifierSet heldModifiers() const;

private:
    void handle(const QuartzEvent& event);
    void handleMouse(MouseButton button, bool isDown);
    void handleKey(std::uint16_t keyCode, ModifierSet modifiers, bool isDown);
    void forgetHeldKeysAndButtons();
    void postLastInput(std::string text);

    GlobalEventSource& source_;
    AppState& state_;
    Logger& logger_;
    bool isMonitoring_ = false;

    mutable std::mutex lock_;  // guards the three held sets
    std::bitset<65536> heldKeys_;
    MouseButtonSet heldMouseButtons_;
    ModifierSet heldModifiers_;

    KeyCallback onKeyDown_;
    KeyCallback onKeyUp_;
    MouseCallback onMouseDown_;
    MouseCallback onMouseUp_;
};

}  // namespace thrumwise
