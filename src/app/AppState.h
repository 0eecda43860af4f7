#pragma once

#include <optional>
#include <string>

#include <QObject>

namespace thrumwise {

// The one observable state object. Used on the GUI thread only: other threads
// queue their assignments there. Every assignment of a published field emits
// willChange() before and the field's own signal after, also when the new
// value equals the old one.
class AppState : public QObject {
    Q_OBJECT

public:
    explicit AppState(QObject* parent = nullptr);

    static AppState& shared();

    // The master switch.
    bool isEnabled() const { return isEnabled_; }
    void setEnabled(bool enabled);

    bool isPluginConnected() const { return isPluginConnected_; }
    void setPluginConnected(bool connected);

    // "⌨ " and a key name, or a mouse button with an arrow. Never cleared.
    const std::optional<std::string>& lastInputEvent() const { return lastInputEvent_; }
    void setLastInputEvent(std::optional<std::string> text);

Q_SIGNALS:
    void willChange();
    void isEnabledChanged();
    void isPluginConnectedChanged();
    void lastInputEventChanged();

private:
    template <typename T, typename Signal>
    void assign(T& field, T value, Signal changed);

    bool isEnabled_ = true;
    bool isPluginConnected_ = false;
    std::optional<std::string> lastInputEvent_;
};

}  // namespace thrumwise
