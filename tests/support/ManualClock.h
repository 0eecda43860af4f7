#pragma once

#include "common/Clock.h"

namespace thrumwise::test {

// Time moves only when the test says so.
class ManualClock final : public Clock {
public:
    TimePoint now() const override { return now_; }
    void advance(std::chrono::milliseconds by) { now_ += by; }

private:
    TimePoint now_{std::chrono::hours(1)};
};

}  // namespace thrumwise::test
