#pragma once

#include "common/RepeatingTimer.h"

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace thrumwise::test {

// Timers that tick only when the test fires them, and that remember their
// interval and whether they are still running.
class ManualTimerFactory final : public TimerFactory {
public:
    struct Record {
        std::chrono::milliseconds interval;
        std::function<void()> tick;
        bool isRunning = true;
    };

    std::unique_ptr<RepeatingTimer> startRepeating(std::chrono::milliseconds interval,
                                                   std::function<void()> tick) override;

    std::size_t startedCount() const { return records_.size(); }
    std::size_t runningCount() const;
    // The intervals of the timers still running, in the order started.
    std::vector<std::chrono::milliseconds> runningIntervals() const;
    // The most recently started timer.
    const Record& last() const { return *records_.back(); }
    const Record& at(std::size_t index) const { return *records_.at(index); }
    // Ticks every running timer once, in the order they were started.
    void tickAll();
    void tick(std::size_t index);

private:
    std::vector<std::shared_ptr<Record>> records_;
};

}  // namespace thrumwise::test
