#include "model/ProfileSaveQueue.h"

#include <utility>

namespace thrumwise {

ProfileSaveQueue::ProfileSaveQueue(Writer write)
    : write_(std::move(write)), thread_([this] { run(); }) {}

ProfileSaveQueue::~ProfileSaveQueue() {
    {
        const std::scoped_lock guard(mutex_);
        isStopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void ProfileSaveQueue::save(std::vector<GameProfile> profiles) {
    {
        const std::scoped_lock guard(mutex_);
        waiting_ = std::move(profiles);
    }
    wake_.notify_one();
}

void ProfileSaveQueue::flush() {
    std::unique_lock guard(mutex_);
    idle_.wait(guard, [this] { return !waiting_ && !isWriting_; });
}

void ProfileSaveQueue::run() {
    for (;;) {
        std::vector<GameProfile> profiles;
        {
            std::unique_lock guard(mutex_);
            isWriting_ = false;
            idle_.notify_all();
            wake_.wait(guard, [this] { return waiting_ || isStopping_; });
            if (!waiting_) {
                return;  // stopping, and everything is written
            }
            profiles = *std::move(waiting_);
            waiting_.reset();
            isWriting_ = true;
        }
        const auto failure = write_(profiles);
        const QString reason = failure ? QString::fromStdString(*failure) : QString();
        QMetaObject::invokeMethod(
            this, [this, reason] { Q_EMIT saved(reason); }, Qt::QueuedConnection);
    }
}

}  // namespace thrumwise
