#pragma once

#include "common/RepeatingTimer.h"

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace thrumwise::test {

// Repeating timers that tick only when the test says so.
class ManualTimerFactory final : public TimerFactory {
public:
    std::unique_ptr<RepeatingTimer> startRepeating(std::chrono::milliseconds interval,
                                                   std::function<void()> tick) override;

    // The intervals of the timers still running, in the order started.
    std::vector<std::chrono::milliseconds> runningIntervals() const;
    // Ticks every running timer once.
    void tickAll();

private:
    struct Entry {
        std::chrono::milliseconds interval;
        std::function<void()> tick;
    };
    class Timer;

    std::vector<std::shared_ptr<Entry>> entries_;
};

}  // namespace thrumwise::test
