#include "support/ManualTimerFactory.h"

#include <algorithm>

namespace thrumwise::test {

namespace {

class ManualTimer final : public RepeatingTimer {
public:
    explicit ManualTimer(std::shared_ptr<ManualTimerFactory::Record> record)
        : record_(std::move(record)) {}
    ~ManualTimer() override { record_->isRunning = false; }

private:
    std::shared_ptr<ManualTimerFactory::Record> record_;
};

}  // namespace

std::unique_ptr<RepeatingTimer> ManualTimerFactory::startRepeating(
    std::chrono::milliseconds interval, std::function<void()> tick) {
    auto record = std::make_shared<Record>(Record{interval, std::move(tick)});
    records_.push_back(record);
    return std::make_unique<ManualTimer>(std::move(record));
}

std::size_t ManualTimerFactory::runningCount() const {
    return static_cast<std::size_t>(std::count_if(
        records_.begin(), records_.end(), [](const auto& record) { return record->isRunning; }));
}

std::vector<std::chrono::milliseconds> ManualTimerFactory::runningIntervals() const {
    std::vector<std::chrono::milliseconds> intervals;
    for (const auto& record : records_) {
        if (record->isRunning) {
            intervals.push_back(record->interval);
        }
    }
    return intervals;
}

void ManualTimerFactory::tickAll() {
    const auto snapshot = records_;
    for (const auto& record : snapshot) {
        if (record->isRunning) {
            // A tick may stop its own timer, which must not free the tick while it runs.
            const auto tick = record->tick;
            tick();
        }
    }
}

void ManualTimerFactory::tick(std::size_t index) {
    const auto record = records_.at(index);
    if (record->isRunning) {
        const auto tickCopy = record->tick;
        tickCopy();
    }
}

}  // namespace thrumwise::test
