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
    records_.push_back(std::make_shared<Record>(Record{interval, std::move(tick)}));
    return std::make_unique<ManualTimer>(records_.back());
}

std::size_t ManualTimerFactory::runningCount() const {
    return static_cast<std::size_t>(std::count_if(records_.begin(), records_.end(),
                                                  [](const auto& r) { return r->isRunning; }));
}

void ManualTimerFactory::tickAll() {
    // A tick may start timers, so the list is copied first.
    for (const auto& record : std::vector(records_)) {
        if (record->isRunning) {
            record->tick();
        }
    }
}

}  // namespace thrumwise::test
