#pragma once

#include "input/InputListener.h"

#include <string>
#include <vector>

namespace thrumwise::test {

// Writes down what an input monitor tells it: "keyDown <code> <name or ->
// <modifiers>" and "mouseUp <button> <modifiers>", modifiers by raw value.
class RecordingInputListener final : public InputListener {
public:
    void keyDown(std::uint16_t keyCode, std::optional<std::string_view> keyName,
                 ModifierSet modifiers) override {
        calls.push_back("keyDown " + key(keyCode, keyName) + describe(modifiers));
    }
    void keyUp(std::uint16_t keyCode, std::optional<std::string_view> keyName,
               ModifierSet modifiers) override {
        calls.push_back("keyUp " + key(keyCode, keyName) + describe(modifiers));
    }
    void mouseDown(MouseButton button, ModifierSet modifiers) override {
        calls.push_back("mouseDown " + std::string(rawValue(button)) + describe(modifiers));
    }
    void mouseUp(MouseButton button, ModifierSet modifiers) override {
        calls.push_back("mouseUp " + std::string(rawValue(button)) + describe(modifiers));
    }

    std::vector<std::string> calls;

private:
    static std::string key(std::uint16_t keyCode, std::optional<std::string_view> keyName) {
        return std::to_string(keyCode) + " " + std::string(keyName.value_or("-"));
    }
    static std::string describe(ModifierSet modifiers) {
        std::string text;
        for (const ModifierKey modifier : allCases<ModifierKey>()) {
            if (modifiers.contains(modifier)) {
                text += " " + std::string(rawValue(modifier));
            }
        }
        return text;
    }
};

}  // namespace thrumwise::test
