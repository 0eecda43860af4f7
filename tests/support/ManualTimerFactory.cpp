#include "support/ManualTimerFactory.h"

#include <algorithm>

namespace thrumwise::test {

class ManualTimerFactory::Timer final : public RepeatingTimer {
public:
    Timer(ManualTimerFactory& factory, std::shared_ptr<Entry> entry)
        : factory_(factory), entry_(std::move(entry)) {}
    ~Timer() override { std::erase(factory_.entries_, entry_); }

    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

private:
    ManualTimerFactory& factory_;
    std::shared_ptr<Entry> entry_;
};

std::unique_ptr<RepeatingTimer> ManualTimerFactory::startRepeating(
    std::chrono::milliseconds interval, std::function<void()> tick) {
    auto entry = std::make_shared<Entry>(Entry{interval, std::move(tick)});
    entries_.push_back(entry);
    return std::make_unique<Timer>(*this, std::move(entry));
}

std::vector<std::chrono::milliseconds> ManualTimerFactory::runningIntervals() const {
    std::vector<std::chrono::milliseconds> intervals;
    for (const auto& entry : entries_) {
        intervals.push_back(entry->interval);
    }
    return intervals;
}

void ManualTimerFactory::tickAll() {
    // A tick may stop timers, its own included: work on a copy and skip the stopped.
    const auto ticking = entries_;
    for (const auto& entry : ticking) {
        if (std::find(entries_.begin(), entries_.end(), entry) != entries_.end()) {
            entry->tick();
        }
    }
}

}  // namespace thrumwise::test
