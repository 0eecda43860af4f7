#include "input/InputMonitor.h"

#include "common/Logger.h"
#include "input/KeyNames.h"

#include <algorithm>

#include <QMetaObject>

namespace thrumwise {

namespace {

ModifierSet modifiersFromFlags(std::uint64_t flags) {
    ModifierSet modifiers;
    if ((flags & ModifierFlags::shift) != 0) {
        modifiers.insert(ModifierKey::shift);
    }
    if ((flags & ModifierFlags::control) != 0) {
        modifiers.insert(ModifierKey::control);
    }
    if ((flags & ModifierFlags::option) != 0) {
        modifiers.insert(ModifierKey::option);
    }
    if ((flags & ModifierFlags::command) != 0) {
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

InputMonitor::InputMonitor(GlobalEventSource& source, Logger& logger)
    : source_(source), logger_(logger) {}

InputMonitor::~InputMonitor() {
    if (isMonitoring_) {
        source_.stop();
    }
}

void InputMonitor::start() {
    if (isMonitoring_) {
        return;
    }
    const bool started = source_.start([this](const RawInputEvent& event) { handle(event); },
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

void InputMonitor::addListener(InputListener& listener) {
    listeners_.push_back(&listener);
}

void InputMonitor::removeListener(InputListener& listener) {
    const auto found = std::find(listeners_.begin(), listeners_.end(), &listener);
    if (found == listeners_.end()) {
        return;
    }
    if (notifyDepth_ > 0) {
        *found = nullptr;  // the loop handing out an event still counts on the positions
        hasRemovedListeners_ = true;
    } else {
        listeners_.erase(found);
    }
}

template <typename Call>
void InputMonitor::notifyListeners(Call call) {
    ++notifyDepth_;
    const std::size_t count = listeners_.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (InputListener* listener = listeners_[i]) {
            call(*listener);
        }
    }
    if (--notifyDepth_ == 0 && hasRemovedListeners_) {
        std::erase(listeners_, nullptr);
        hasRemovedListeners_ = false;
    }
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

void InputMonitor::handle(const RawInputEvent& event) {
    switch (event.type) {
        case RawInputType::leftMouseDown:
            handleMouse(MouseButton::left, true, event.isFocusLossRelease);
            return;
        case RawInputType::leftMouseUp:
            handleMouse(MouseButton::left, false, event.isFocusLossRelease);
            return;
        case RawInputType::rightMouseDown:
            handleMouse(MouseButton::right, true, event.isFocusLossRelease);
            return;
        case RawInputType::rightMouseUp:
            handleMouse(MouseButton::right, false, event.isFocusLossRelease);
            return;
        case RawInputType::keyDown:
        case RawInputType::keyUp:
            // Real keyboards never send codes outside 16 bits; anything else is ignored.
            if (event.keyCode >= 0 && event.keyCode <= 0xFFFF) {
                handleKey(static_cast<std::uint16_t>(event.keyCode),
                          modifiersFromFlags(event.flags), event.type == RawInputType::keyDown);
            }
            return;
        case RawInputType::modifiersChanged: {
            const std::scoped_lock guard(lock_);
            heldModifiers_ = modifiersFromFlags(event.flags);
            return;
        }
        case RawInputType::otherMouseDown:
        case RawInputType::otherMouseUp:
            return;
    }
}

// Mouse events carry the modifiers of the last keyboard event, not their own.
// A release made because the focus left shows nothing: the user did not click.
void InputMonitor::handleMouse(MouseButton button, bool isDown, bool isFocusLossRelease) {
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
    if (!isFocusLossRelease) {
        postLastInput(mouseText(button, isDown));
    }
    if (isDown) {
        notifyListeners([&](InputListener& listener) { listener.mouseDown(button, modifiers); });
    } else {
        notifyListeners([&](InputListener& listener) { listener.mouseUp(button, modifiers); });
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
        if (!wasHeld) {
            notifyListeners(
                [&](InputListener& listener) { listener.keyDown(keyCode, name, modifiers); });
        }
    } else {
        notifyListeners([&](InputListener& listener) { listener.keyUp(keyCode, name, modifiers); });
    }
}

// Always queued, even on the GUI thread, so the display never updates inside the handler.
void InputMonitor::postLastInput(std::string text) {
    QMetaObject::invokeMethod(
        this,
        [this, text = std::move(text)]() mutable {
            if (onLastInput_) {
                onLastInput_(std::move(text));
            }
        },
        Qt::QueuedConnection);
}

}  // namespace thrumwise
