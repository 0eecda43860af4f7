#include "input/InputMonitor.h"

#include "app/AppState.h"
#include "common/Logger.h"
#include "input/KeyNames.h"
#include "platform/Platform.h"

#include <QMetaObject>

namespace thrumwise {

namespace {

ModifierSet modifiersFromFlags(std::uint64_t flags) {
    ModifierSet modifiers;
    if ((flags & QuartzFlags::shift) != 0) {
        modifiers.insert(ModifierKey::shift);
    }
    if ((flags & QuartzFlags::control) != 0) {
        modifiers.insert(ModifierKey::control);
    }
    if ((flags & QuartzFlags::alternate) != 0) {
        modifiers.insert(ModifierKey::option);
    }
    if ((flags & QuartzFlags::command) != 0) {
        modifiers.insert(ModifierKey::command);
    }
    return modifiers;
}

std::string mouseText(MouseButton button, bool isDown) {
    std::string text = button == MouseButton::left ? "🖱 Left " : "🖱 Right ";
    text += isDown ? "↓" : "↑";
    return text;
}

}  // namespace

InputMonitor::InputMonitor(GlobalEventSource& source, AppState& state, Logger& logger)
    : source_(source), state_(state), logger_(logger) {}

InputMonitor::~InputMonitor() {
    if (isMonitoring_) {
        source_.stop();
    }
}

InputMonitor& InputMonitor::shared() {
    static auto* instance =
        new InputMonitor(platform::globalEventSource(), AppState::shared(), Logger::shared());
    return *instance;
}

void InputMonitor::start() {
    if (isMonitoring_) {
        return;
    }
    const bool started = source_.start([this](const QuartzEvent& event) { handle(event); },
                                       [this] {
                                           isMonitoring_ = false;
                                           forgetHeldKeysAndButtons();
                                       });
    if (!started) {
        logger_.log(
            "[InputMonitor] Failed to create event tap — check Accessibility AND Input "
            "Monitoring in System Settings.");
        return;
    }
    isMonitoring_ = true;
    logger_.log("[InputMonitor] Started monitoring keyboard and mouse input");
}

void InputMonitor::stop() {
    if (isMonitoring_) {
        source_.stop();
        isMonitoring_ = false;
    }
    forgetHeldKeysAndButtons();
    logger_.log("[InputMonitor] Stopped monitoring");
}

bool InputMonitor::isKeyHeld(std::uint16_t keyCode) const {
    const std::scoped_lock guard(lock_);
    return heldKeys_.test(keyCode);
}

bool InputMonitor::isMouseButtonHeld(MouseButton button) const {
    const std::scoped_lock guard(lock_);
    return heldMouseButtons_.contains(button);
}

ModifierSet InputMonitor::heldModifiers() const {
    const std::scoped_lock guard(lock_);
    return heldModifiers_;
}

void InputMonitor::forgetHeldKeysAndButtons() {
    const std::scoped_lock guard(lock_);
    heldKeys_.reset();
    heldMouseButtons_ = {};
}

void InputMonitor::handle(const QuartzEvent& event) {
    switch (event.type) {
        case QuartzEventType::leftMouseDown:
            handleMouse(MouseButton::left, true);
            return;
        case QuartzEventType::leftMouseUp:
            handleMouse(MouseButton::left, false);
            return;
        case QuartzEventType::rightMouseDown:
            handleMouse(MouseButton::right, true);
            return;
        case QuartzEventType::rightMouseUp:
            handleMouse(MouseButton::right, false);
            return;
        case QuartzEventType::keyDown:
        case QuartzEventType::keyUp:
            // Real keyboards never send codes outside 16 bits; anything else is ignored.
            if (event.keyCode >= 0 && event.keyCode <= 0xFFFF) {
                handleKey(static_cast<std::uint16_t>(event.keyCode),
                          modifiersFromFlags(event.flags), event.type == QuartzEventType::keyDown);
            }
            return;
        case QuartzEventType::flagsChanged: {
            const std::scoped_lock guard(lock_);
            heldModifiers_ = modifiersFromFlags(event.flags);
            return;
        }
        case QuartzEventType::otherMouseDown:
        case QuartzEventType::otherMouseUp:
            return;
    }
}

// Mouse events carry the modifiers of the last keyboard event, not their own.
void InputMonitor::handleMouse(MouseButton button, bool isDown) {
    ModifierSet modifiers;
    {
        const std::scoped_lock guard(lock_);
        if (isDown) {
            heldMouseButtons_.insert(button);
        } else {
            heldMouseButtons_.remove(button);
        }
        modifiers = heldModifiers_;
    }
    postLastInput(mouseText(button, isDown));
    const MouseCallback& callback = isDown ? onMouseDown_ : onMouseUp_;
    if (callback) {
        callback(button, modifiers);
    }
}

// Auto-repeat is suppressed by the held set: a repeated key-down finds its key held.
void InputMonitor::handleKey(std::uint16_t keyCode, ModifierSet modifiers, bool isDown) {
    const auto name = inputKeyName(keyCode);
    bool wasHeld = false;
    {
        const std::scoped_lock guard(lock_);
        wasHeld = heldKeys_.test(keyCode);
        heldKeys_.set(keyCode, isDown);
        heldModifiers_ = modifiers;
    }
    if (isDown) {
        postLastInput("⌨ " + (name ? std::string(*name) : "Key" + std::to_string(keyCode)));
        if (!wasHeld && onKeyDown_) {
            onKeyDown_(keyCode, name, modifiers);
        }
    } else if (onKeyUp_) {
        onKeyUp_(keyCode, name, modifiers);
    }
}

// Always queued, even on the GUI thread, so the display never updates inside the handler.
void InputMonitor::postLastInput(std::string text) {
    QMetaObject::invokeMethod(
        &state_,
        [&state = state_, text = std::move(text)]() mutable {
            state.setLastInputEvent(std::move(text));
        },
        Qt::QueuedConnection);
}

}  // namespace thrumwise
