#pragma once

#include "discovery/InstalledApp.h"

#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace thrumwise::test {

// Writes the file, creating the folders above it.
inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

inline QByteArray readFixture(const QString& name) {
    QFile file(QStringLiteral(THRUMWISE_DISCOVERY_FIXTURES "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "identifier | name | path" per application, for comparisons that print what differs.
inline QStringList describe(const std::vector<InstalledApp>& apps) {
    QStringList lines;
    for (const InstalledApp& app : apps) {
        lines.append(app.bundleId + QStringLiteral(" | ") + app.displayName +
                     QStringLiteral(" | ") + app.path);
    }
    return lines;
}

inline QStringList describe(const std::optional<InstalledApp>& app) {
    return app ? describe(std::vector<InstalledApp>{*app}) : QStringList();
}

}  // namespace thrumwise::test
