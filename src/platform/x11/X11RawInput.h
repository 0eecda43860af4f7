#pragma once

#include <optional>

struct _XDisplay;  // NOLINT(bugprone-reserved-identifier)

namespace thrumwise {

// The XInput extension's major opcode when the server offers XInput 2.2 (raw
// key and button events for every client); nothing otherwise. Input capture
// and the permission probe ask the same question, so they never disagree.
std::optional<int> rawInputOpcode(_XDisplay* display);

}  // namespace thrumwise
