#pragma once

#include "haptics/HapticTrigger.h"

#include <string>
#include <vector>

namespace thrumwise::test {

// Writes down every requested effect and accepts it at once.
class RecordingHaptics final : public HapticTrigger {
public:
    void trigger(std::string pattern, Completion done) override {
        patterns.push_back(std::move(pattern));
        if (done) {
            done(true);
        }
    }

    std::vector<std::string> patterns;
};

}  // namespace thrumwise::test
