#pragma once

#include "model/GameProfile.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <QDateTime>
#include <QString>

namespace thrumwise {

class Logger;

// Keeps the profile list on disk as one JSON file. Holds no copy of the
// profiles: the caller loads the whole list once and saves the whole list
// after every change.
class ProfileManager {
public:
    static constexpr std::string_view profilesFileName = "profiles.json";

    using UtcClock = std::function<QDateTime()>;

    // `folder` holds the profiles file; it is created when missing. The clock
    // names the copies of unreadable files.
    ProfileManager(QString folder, Logger& logger,
                   UtcClock utcNow = &QDateTime::currentDateTimeUtc);

    // Creates the folder on every call (errors ignored: the following read or
    // write fails on its own).
    QString profilesFilePath() const;

    // Never fails: an absent file gives an empty list; an unreadable one is
    // logged, moved aside so nothing overwrites it, and also gives an empty list.
    std::vector<GameProfile> loadProfiles() const;

    // Replaces the file atomically: a failed save leaves the previous file
    // whole. Gives the reason when the save failed (it is logged as well).
    // Safe to call from a thread other than the one that loads.
    std::optional<std::string> saveProfiles(const std::vector<GameProfile>& profiles) const;

private:
    void moveAside(const QString& path) const;

    QString folder_;
    Logger& logger_;
    UtcClock utcNow_;
};

}  // namespace thrumwise
