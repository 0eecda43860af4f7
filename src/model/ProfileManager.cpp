#include "model/ProfileManager.h"

#include "common/Logger.h"
#include "model/ProfileCoding.h"

#include <string>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace thrumwise {

namespace {

class LoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string readWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw LoadError(file.errorString().toStdString());
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw LoadError(file.errorString().toStdString());
    }
    return bytes.toStdString();
}

}  // namespace

ProfileManager::ProfileManager(QString folder, Logger& logger, UtcClock utcNow)
    : folder_(std::move(folder)), logger_(logger), utcNow_(std::move(utcNow)) {}

QString ProfileManager::profilesFilePath() const {
    QDir().mkpath(folder_);
    return QDir(folder_).filePath(QString::fromLatin1(profilesFileName));
}

std::vector<GameProfile> ProfileManager::loadProfiles() const {
    const QString path = profilesFilePath();
    if (!QFile::exists(path)) {
        return {};
    }
    try {
        auto profiles = decodeProfiles(readWholeFile(path));
        logger_.log("[ProfileManager] Loaded " + std::to_string(profiles.size()) + " profiles");
        return profiles;
    } catch (const std::exception& error) {
        logger_.log(std::string("[ProfileManager] Failed to load profiles: ") + error.what());
        moveAside(path);
        return {};
    }
}

void ProfileManager::moveAside(const QString& path) const {
    const QString stamp = utcNow_().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    const QString base = path + QStringLiteral(".unreadable-") + stamp;
    QString target = base;
    for (int attempt = 2; QFile::exists(target); ++attempt) {
        target = base + QLatin1Char('-') + QString::number(attempt);
    }
    // QFile::rename never replaces an existing file, so an earlier copy survives.
    QFile file(path);
    if (file.rename(target)) {
        logger_.log("[ProfileManager] Moved unreadable profiles file to " + target.toStdString());
    } else {
        logger_.log("[ProfileManager] Could not move unreadable profiles file aside: " +
                    file.errorString().toStdString());
    }
}

std::optional<std::string> ProfileManager::saveProfiles(
    const std::vector<GameProfile>& profiles) const {
    try {
        const std::string bytes = encodeProfiles(profiles);
        QSaveFile file(profilesFilePath());
        if (!file.open(QIODevice::WriteOnly)) {
            throw std::runtime_error(file.errorString().toStdString());
        }
        const auto size = static_cast<qint64>(bytes.size());
        if (file.write(bytes.data(), size) != size || !file.flush()) {
            const std::string reason = file.errorString().toStdString();
            file.cancelWriting();
            throw std::runtime_error(reason);
        }
        // commit() syncs the temporary file to disk, then renames it over the old one.
        if (!file.commit()) {
            throw std::runtime_error(file.errorString().toStdString());
        }
        logger_.log("[ProfileManager] Saved " + std::to_string(profiles.size()) + " profiles");
        return std::nullopt;
    } catch (const std::exception& error) {
        logger_.log(std::string("[ProfileManager] Failed to save profiles: ") + error.what());
        return error.what();
    }
}

}  // namespace thrumwise
