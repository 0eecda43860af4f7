#pragma once

#include "discovery/DesktopEntryDiscovery.h"
#include "discovery/InstalledApp.h"
#include "discovery/LinuxAppDiscovery.h"
#include "discovery/SteamGameDiscovery.h"

#include <utility>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace thrumwise::test {

// Writes each file (a path under `root`), creating the folders above it.
inline bool writeFiles(const QString& root,
                       const std::vector<std::pair<QString, QByteArray>>& files) {
    for (const auto& [name, bytes] : files) {
        QFile file(QDir(root).filePath(name));
        if (!QDir().mkpath(QFileInfo(file).path()) || !file.open(QIODevice::WriteOnly) ||
            file.write(bytes) != bytes.size()) {
            return false;
        }
    }
    return true;
}

inline QByteArray app(const QByteArray& keys) {
    return "[Desktop Entry]\nType=Application\n" + keys + '\n';
}

inline QByteArray manifest(const QByteArray& appId, const QByteArray& name) {
    return "\"AppState\"\n{\n\t\"appid\"\t\t\"" + appId + "\"\n\t\"name\"\t\t\"" + name + "\"\n}\n";
}

inline QByteArray readFixture(const QString& name) {
    QFile file(QStringLiteral(THRUMWISE_DISCOVERY_FIXTURES "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "identifier | name | path" per application, the path relative to `root`; joined so that a
// failed comparison prints what differs.
inline QString describe(const std::vector<InstalledApp>& apps, const QString& root = {}) {
    QStringList lines;
    for (const InstalledApp& app : apps) {
        lines.append(app.bundleId + " | "_L1 + app.displayName + " | "_L1 +
                     (root.isEmpty() ? app.path : QDir(root).relativeFilePath(app.path)));
    }
    return lines.join("; "_L1);
}

inline QString describe(const std::optional<InstalledApp>& app, const QString& root = {}) {
    return app ? describe(std::vector<InstalledApp>{*app}, root) : QString();
}

// A home with its data folder, one system data folder and a Steam installation, and the
// discovery over them; paths are relative to `root`.
struct LinuxDesktop {
    QTemporaryDir dir;
    QString root = dir.path();
    QString applications = u"home/.local/share/applications/"_s;
    QString system = u"usr/share/applications/"_s;
    QString steamApps = u"home/.local/share/Steam/steamapps/"_s;
    BoundedFileSystem files;
    DesktopEntryDiscovery desktopEntries{
        {root + u"/home/.local/share"_s, {root + u"/usr/share"_s}}, "C", files};
    SteamGameDiscovery steamGames{SteamGameDiscovery::standardRoots(root + u"/home"_s), files};
    AppBundleReader bundles{files};
    LinuxAppDiscovery discovery{desktopEntries, steamGames, bundles};
};

}  // namespace thrumwise::test
