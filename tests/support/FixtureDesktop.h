#pragma once

#include "discovery/AppBundleReader.h"
#include "discovery/BoundedFileSystem.h"
#include "discovery/DesktopEntryDiscovery.h"
#include "discovery/LinuxAppDiscovery.h"
#include "discovery/SteamGameDiscovery.h"
#include "ui/AppFilePicker.h"
#include "ui/InstalledApps.h"

#include <optional>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace thrumwise::test {

// Answers the file dialog with the path set in `next`, else a cancel.
struct ScriptedFilePicker final : AppFilePicker {
    std::optional<QString> pickApplication(QWidget* /*parent*/) override {
        return std::exchange(next, std::nullopt);
    }
    std::optional<QString> next;
};

// Desktop entries and a Steam library in a temporary folder, and the installed
// applications read from them: an entry is known by `wmClass`, else by its file
// name without ".desktop"; a game as "steam_app_<appId>".
struct FixtureDesktop {
    bool addEntry(const QString& file, const QByteArray& name, const QByteArray& wmClass = {}) {
        return write(path(QStringLiteral("data/applications/") + file),
                     "[Desktop Entry]\nType=Application\nName=" + name +
                         (wmClass.isEmpty() ? QByteArray() : "\nStartupWMClass=" + wmClass));
    }
    bool addGame(int appId, const QByteArray& name) {
        return write(path(QStringLiteral("steam/steamapps/appmanifest_%1.acf").arg(appId)),
                     R"("AppState" { "appid" ")" + QByteArray::number(appId) + R"(" "name" ")" +
                         name + R"(" })");
    }
    QString path(const QString& name) const { return root.filePath(name); }
    static bool write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
               file.write(bytes) == bytes.size();
    }

    QTemporaryDir root;
    BoundedFileSystem files;
    DesktopEntryDiscovery desktopEntries{{path(QStringLiteral("data")), {}}, "C", files};
    SteamGameDiscovery steamGames{{path(QStringLiteral("steam"))}, files};
    AppBundleReader bundles{files};
    LinuxAppDiscovery discovery{desktopEntries, steamGames, bundles};
    InstalledApps apps{discovery};
    ScriptedFilePicker picker;
};

}  // namespace thrumwise::test
