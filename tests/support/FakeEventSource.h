#pragma once

#include "platform/GlobalEventSource.h"

#include <utility>

namespace thrumwise::test {

// Hands events straight to the input monitor, as the platform's source would.
struct FakeEventSource final : GlobalEventSource {
    bool start(EventHandler onEvent, LostHandler onLost) override {
        ++startCount;
        if (startSucceeds) {
            onEvent_ = std::move(onEvent);
            onLost_ = std::move(onLost);
        }
        return startSucceeds;
    }
    void stop() override {
        ++stopCount;
        onEvent_ = ignore;
    }

    void send(const RawInputEvent& event) const { onEvent_(event); }
    void keyDown(std::int64_t code, std::uint64_t flags = 0) const {
        send({RawInputType::keyDown, code, flags});
    }
    void keyUp(std::int64_t code, std::uint64_t flags = 0) const {
        send({RawInputType::keyUp, code, flags});
    }
    void mouse(RawInputType type) const { send({type, 0, 0}); }
    // As the platform's source reports on losing the keyboard focus while it is held.
    void focusLossRelease(RawInputType type, std::int64_t code = 0, std::uint64_t flags = 0) const {
        send({type, code, flags, true});
    }

    void lose() {  // the display connection dropped
        onEvent_ = ignore;
        std::exchange(onLost_, {})();
    }

    bool startSucceeds = true;
    int startCount = 0, stopCount = 0;
    static void ignore(const RawInputEvent&) {}  // what a stopped source hands on
    EventHandler onEvent_ = ignore;
    LostHandler onLost_;
};

}  // namespace thrumwise::test
