#pragma once

#include "common/RepeatingTimer.h"

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace thrumwise::test {

// Timers that tick only when the test says so, and that remember their
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
    // In the order started.
    const Record& at(std::size_t index) const { return *records_.at(index); }
    const Record& last() const { return *records_.back(); }
    // Ticks every running timer once, in the order they were started.
    void tickAll();

private:
    // Shared with the timers, so that a tick outlives its own timer's end.
    std::vector<std::shared_ptr<Record>> records_;
};

}  // namespace thrumwise::test
