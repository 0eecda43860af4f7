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

// Answers the file dialog as told: the path set in `next`, or a cancel.
class ScriptedFilePicker final : public AppFilePicker {
public:
    std::optional<QString> pickApplication(QWidget* /*parent*/) override {
        return std::exchange(next, std::nullopt);
    }
    std::optional<QString> next;
};

// A desktop made of files in a temporary folder: desktop entries and one
// Steam library, and the installed applications the pickers read from them.
class FixtureDesktop {
public:
    FixtureDesktop() = default;
    FixtureDesktop(const FixtureDesktop&) = delete;
    FixtureDesktop& operator=(const FixtureDesktop&) = delete;

    // Writes a desktop entry under the applications folder; its identifier is
    // `wmClass`, else the file name without ".desktop".
    bool addEntry(const QString& fileName, const QByteArray& name, const QByteArray& wmClass = {}) {
        QByteArray text = "[Desktop Entry]\nType=Application\nName=" + name + '\n';
        if (!wmClass.isEmpty()) {
            text += "StartupWMClass=" + wmClass + '\n';
        }
        return write(applicationsFolder() + fileName, text);
    }
    // A Steam game, listed as "steam_app_<appId>".
    bool addGame(int appId, const QByteArray& name) {
        return write(steamRoot() + QStringLiteral("/steamapps/appmanifest_%1.acf").arg(appId),
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
    DesktopEntryDiscovery desktopEntries{{root.filePath(QStringLiteral("data")), {}}, "C", files};
    SteamGameDiscovery steamGames{{steamRoot()}, files};
    AppBundleReader bundles{files};
    LinuxAppDiscovery discovery{desktopEntries, steamGames, bundles};
    InstalledApps apps{discovery};
    ScriptedFilePicker picker;

private:
    QString applicationsFolder() const {
        return root.filePath(QStringLiteral("data/applications/"));
    }
    QString steamRoot() const { return root.filePath(QStringLiteral("steam")); }
};

}  // namespace thrumwise::test
