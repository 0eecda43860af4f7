#pragma once

#include "haptics/HapticTrigger.h"

#include <string>
#include <vector>

namespace thrumwise::test {

// Records every requested effect and answers at once with `accepts`.
class FakeHapticTrigger final : public HapticTrigger {
public:
    void trigger(std::string pattern, Completion done) override {
        patterns.push_back(std::move(pattern));
        if (done) {
            done(accepts);
        }
    }

    bool accepts = true;
    std::vector<std::string> patterns;
};

}  // namespace thrumwise::test
