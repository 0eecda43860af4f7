#pragma once

#include "model/GameProfile.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QObject>
#include <QString>

namespace thrumwise {

// Saves the profile list on a thread of its own, so that writing a large list
// never holds up the GUI thread (the name field saves on every keystroke).
// Saves are written in the order asked for; one asked for while another still
// waits replaces the waiting one, since only the newest list matters. Every
// save is atomic, as the store makes it.
class ProfileSaveQueue : public QObject {
    Q_OBJECT

public:
    // Writes one list; gives the reason when that failed. The store's
    // saveProfiles() in the application.
    using Writer =
        std::function<std::optional<std::string>(const std::vector<GameProfile>& profiles)>;

    explicit ProfileSaveQueue(Writer write);
    // Writes what still waits, then stops.
    ~ProfileSaveQueue() override;

    ProfileSaveQueue(const ProfileSaveQueue&) = delete;
    ProfileSaveQueue& operator=(const ProfileSaveQueue&) = delete;

    void save(std::vector<GameProfile> profiles);
    // Returns once every save asked for so far has been written.
    void flush();

Q_SIGNALS:
    // On the GUI thread, after each save written: an empty reason when it succeeded.
    void saved(const QString& failureReason);

private:
    void run();

    Writer write_;
    std::mutex mutex_;  // guards the three fields below
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::optional<std::vector<GameProfile>> waiting_;
    bool isWriting_ = false;
    bool isStopping_ = false;
    std::thread thread_;
};

}  // namespace thrumwise
