#include "support/TemporaryHome.h"

#include <QDir>
#include <QFile>

namespace thrumwise::test {

TemporaryHome::TemporaryHome() {
    if (!root_.isValid()) {
        return;
    }
    valid_ = QDir().mkpath(dataFolder()) && QDir().mkpath(path("config")) &&
             QDir().mkpath(path("cache")) && QDir().mkpath(path("runtime")) &&
             // Qt refuses a runtime folder that others may enter.
             QFile::setPermissions(path("runtime"),
                                   QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QProcessEnvironment TemporaryHome::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), root_.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), path("data"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), path("cache"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), path("runtime"));
    return environment;
}

QString TemporaryHome::profilesFile() const {
    return dataFolder() + QStringLiteral("/profiles.json");
}

QString TemporaryHome::settingsFile() const {
    return path("config/Thrumwise/Thrumwise.conf");
}

QString TemporaryHome::dataFolder() const {
    return path("data/Thrumwise");
}

QString TemporaryHome::path(const char* relative) const {
    return root_.filePath(QString::fromUtf8(relative));
}

}  // namespace thrumwise::test
