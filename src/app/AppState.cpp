#include "app/AppState.h"

#include <utility>

namespace thrumwise {

AppState::AppState(QObject* parent) : QObject(parent) {}

AppState& AppState::shared() {
    static auto* instance = new AppState();
    return *instance;
}

template <typename T, typename Signal>
void AppState::assign(T& field, T value, Signal changed) {
    Q_EMIT willChange();
    field = std::move(value);
    Q_EMIT(this->*changed)();
}

void AppState::setEnabled(bool enabled) {
    assign(isEnabled_, enabled, &AppState::isEnabledChanged);
}

void AppState::setPluginConnected(bool connected) {
    assign(isPluginConnected_, connected, &AppState::isPluginConnectedChanged);
}

void AppState::setLastInputEvent(std::optional<std::string> text) {
    assign(lastInputEvent_, std::move(text), &AppState::lastInputEventChanged);
}

}  // namespace thrumwise
