#pragma once

#include "common/RepeatingTimer.h"

#include <algorithm>
#include <vector>

namespace thrumwise::test {

// Timers that tick only when told to, remembering their interval and whether they still run.
struct ManualTimerFactory final : TimerFactory {
    struct Record {
        std::chrono::milliseconds interval;
        std::function<void()> tick;
        bool isRunning = true;
    };

    std::unique_ptr<RepeatingTimer> startRepeating(std::chrono::milliseconds interval,
                                                   std::function<void()> tick) override {
        // Shares its record, so that a tick outlives its own timer's end.
        struct Timer final : RepeatingTimer {
            explicit Timer(std::shared_ptr<Record> shared) : record(std::move(shared)) {}
            ~Timer() override { record->isRunning = false; }
            std::shared_ptr<Record> record;
        };
        records_.push_back(std::make_shared<Record>(Record{interval, std::move(tick)}));
        return std::make_unique<Timer>(records_.back());
    }

    std::size_t startedCount() const { return records_.size(); }
    std::size_t runningCount() const {
        return std::ranges::count_if(records_, [](auto& r) { return r->isRunning; });
    }
    const Record& at(std::size_t index) const { return *records_.at(index); }
    const Record& last() const { return *records_.back(); }
    // Ticks every running timer once, in the order started; a tick may start timers.
    void tickAll() {
        for (const auto& record : std::vector(records_)) {
            if (record->isRunning) {
                record->tick();
            }
        }
    }
    std::vector<std::shared_ptr<Record>> records_;
};

}  // namespace thrumwise::test
