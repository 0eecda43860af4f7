#include "common/RepeatingTimer.h"

#include <limits>

#include <QTimer>

namespace thrumwise {

namespace {

class QtRepeatingTimer final : public RepeatingTimer {
public:
    QtRepeatingTimer(std::chrono::milliseconds interval, std::function<void()> tick) {
        constexpr auto longest = std::chrono::milliseconds(std::numeric_limits<int>::max());
        // Precise, so that a 51 ms repeat is not stretched or shrunk by coarse slack.
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(std::min(interval, longest));
        QObject::connect(&timer_, &QTimer::timeout, &timer_, std::move(tick));
        timer_.start();
    }

private:
    QTimer timer_;
};

}  // namespace

std::unique_ptr<RepeatingTimer> QtTimerFactory::startRepeating(std::chrono::milliseconds interval,
                                                               std::function<void()> tick) {
    return std::make_unique<QtRepeatingTimer>(interval, std::move(tick));
}

}  // namespace thrumwise
