#pragma once

#include "discovery/DesktopEntryDiscovery.h"
#include "discovery/InstalledApp.h"
#include "discovery/LinuxAppDiscovery.h"
#include "discovery/SteamGameDiscovery.h"

#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

namespace thrumwise::test {

// Writes the file, creating the folders above it.
inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

// A desktop entry of an application with these keys besides its type.
inline QByteArray applicationEntry(const QByteArray& keys) {
    return "[Desktop Entry]\nType=Application\n" + keys + '\n';
}

// A Steam app manifest as Steam writes it.
inline QByteArray manifest(const QByteArray& appId, const QByteArray& name) {
    return "\"AppState\"\n{\n\t\"appid\"\t\t\"" + appId +
           "\"\n\t\"Universe\"\t\t\"1\"\n\t\"name\"\t\t\"" + name + "\"\n\t\"installdir\"\t\t\"" +
           name + "\"\n}\n";
}

// A home with its data folder, one system data folder and a Steam installation,
// and the discovery over them.
struct LinuxDesktop {
    QTemporaryDir root;
    QString home = root.filePath(QStringLiteral("home"));
    QString applications = home + QStringLiteral("/.local/share/applications/");
    QString system = root.filePath(QStringLiteral("usr/share/applications/"));
    QString steamApps = home + QStringLiteral("/.local/share/Steam/steamapps/");
    BoundedFileSystem files;
    DesktopEntryDiscovery desktopEntries{
        {home + QStringLiteral("/.local/share"), {root.filePath(QStringLiteral("usr/share"))}},
        "C",
        files};
    SteamGameDiscovery steamGames{SteamGameDiscovery::standardRoots(home), files};
    AppBundleReader bundles{files};
    LinuxAppDiscovery discovery{desktopEntries, steamGames, bundles};
};

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
