#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace thrumwise {

// A repeating timer on the GUI thread. Destroying it stops it; a tick may
// destroy its own timer.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
};

// Starts repeating timers. The first tick comes one interval after the start.
class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<RepeatingTimer> startRepeating(std::chrono::milliseconds interval,
                                                           std::function<void()> tick) = 0;
};

// Qt timers on the calling thread's event loop; they keep firing while a menu
// or a modal dialog runs its own loop.
class QtTimerFactory final : public TimerFactory {
public:
    std::unique_ptr<RepeatingTimer> startRepeating(std::chrono::milliseconds interval,
                                                   std::function<void()> tick) override;
};

}  // namespace thrumwise
