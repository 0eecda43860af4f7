#pragma once

#include <chrono>

namespace thrumwise {

// Monotonic time, so that cooldowns survive changes of the wall clock.
class Clock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
};

class SteadyClock final : public Clock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
};

}  // namespace thrumwise
