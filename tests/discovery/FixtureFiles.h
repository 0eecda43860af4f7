#pragma once

#include "discovery/LinuxAppDiscovery.h"
#include "discovery/SteamGameDiscovery.h"
#include "support/Files.h"

#include <algorithm>
#include <functional>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace thrumwise;

namespace thrumwise::test {

// Writes each file (a path under `root`), creating the folders above it.
inline bool writeFiles(const QString& root,
                       const std::vector<std::pair<QString, QByteArray>>& files) {
    return std::ranges::all_of(files, [&root](const auto& named) {
        return writeFile(QDir(root).filePath(named.first), named.second);
    });
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

// "identifier | name" per application, joined so that a failed comparison prints what differs.
inline QString describe(const std::vector<InstalledApp>& apps) {
    QStringList lines;
    for (const InstalledApp& app : apps) {
        lines.append(app.bundleId + " | "_L1 + app.displayName);
    }
    return lines.join("; "_L1);
}

// What the reader makes of each path below `root`, described and joined.
inline QString pick(const QString& root, auto read, const auto& reader, const QStringList& paths) {
    QStringList found;
    for (const QString& path : paths) {
        const std::optional<InstalledApp> app = std::invoke(read, reader, root + u'/' + path);
        found.append(app ? describe({*app}) : QString());
    }
    return found.join(u"; "_s);
}

// A data home and two data folders entered two deep, a Steam installation with more libraries, and
// the discovery over them: the tests of each class check its view of the same files.
struct Desktop {
    QTemporaryDir dir;
    QString root = dir.path();
    QString steam = u"home/.local/share/Steam/steamapps/"_s;
    BoundedFileSystem files{ScanLimits{.maxFolderDepth = 2}};
    DesktopEntryDiscovery desktopEntries{
        {root + u"/home"_s, {root + u"/local"_s, root + u"/usr"_s}}, "de_DE.UTF-8", files};
    SteamGameDiscovery steamGames{SteamGameDiscovery::standardRoots(root + u"/home"_s), files};
    AppBundleReader bundles{files};
    LinuxAppDiscovery discovery{desktopEntries, steamGames, bundles};

    bool write() const {
        const QString h = u"home/applications/"_s, l = u"local/applications/"_s;
        const QString u = u"usr/applications/"_s;
        const QByteArray masked = app("Name=Masked");
        const QByteArray bundle = "<plist><dict><key>CFBundleIdentifier</key><string>";
        // The current form lists the Steam folder itself, the older numbers plain paths.
        const QString libraries =
            uR"("libraryfolders" { "contentstatsid" "%1/NotListed" "0" { "path" )"
            uR"("%1/home/.local/share/Steam" } "1" { "label" "" "path" "%1/Extra" } "2" "%1/Old" )"
            uR"("3" { "path" "/nonexistent" } })"_s;
        const bool written = writeFiles(
            root,
            {{h + u"hidden.desktop"_s, "[Desktop Entry]\nHidden=true\nIcon=hidden\n"},
             {h + u"kde4-konsole.desktop"_s, app("Name=Konsole\nIcon=terminal")},
             {h + u"editor.desktop"_s, app("Name=Editor\nName[de]=Bearbeiter\nIcon=/e.png")},
             {h + u"viewer.desktop"_s, "\x00\x01garbage"_ba},
             {h + u"dota.desktop"_s, app("Name=Dota L\nStartupWMClass=steam_app_570\nIcon=dota")},
             {l + u"d1/d2/deep.desktop"_s, app("Name=deep")},
             {l + u"d1/d2/d3/deeper.desktop"_s, app("Name=Deeper")},
             {l + u"nodisplay.desktop"_s, app("Name=No Display\nNoDisplay=true")},
             {u + u"hidden.desktop"_s, masked},
             {u + u"nodisplay.desktop"_s, masked},
             {u + u"editor.desktop"_s, masked},
             {u + u"kde4/konsole.desktop"_s, masked},
             {u + u"games/pinball.desktop"_s,
              app("Name=Pinball\nStartupWMClass=Pin\nIcon=pinball")},
             {u + u"pinball2.desktop"_s, app("Name=Pinball 2\nStartupWMClass=Pin\nIcon=other")},
             {u + u"viewer.desktop"_s, app("Name=Viewer")},
             {u + u"link.desktop"_s, "[Desktop Entry]\nType=Link\nName=Link\n"},
             {u + u"mimeinfo.cache"_s, app("Name=Not an entry")},
             {steam + u"appmanifest_570.acf"_s, manifest("570", "Dota 2")},
             {steam + u"appmanifest_10.acf"_s, manifest("10", "Counter-Strike \\\"GO\\\"")},
             {steam + u"appmanifest_20.acf"_s, "\"AppState\" { \"appid\" \"20\" }"},
             {steam + u"appmanifest_21.acf"_s, manifest("21", " ")},
             {steam + u"appmanifest_30.acf"_s, manifest("30", "Cut").chopped(3)},
             {steam + u"appmanifest_x.acf"_s, manifest("1", "X")},
             {steam + u"appmanifest_.acf"_s, manifest("1", "X")},
             {steam + u"appmanifest_40.acf.tmp"_s, manifest("40", "Tmp")},
             {steam + u"libraryfolders.vdf"_s, libraries.arg(root).toUtf8()},
             {u"Extra/steamapps/appmanifest_99.acf"_s, manifest("99", "Extra Game")},
             {u"Old/steamapps/appmanifest_77.acf"_s, manifest("77", "Old Game")},
             {u"NotListed/steamapps/appmanifest_66.acf"_s, manifest("66", "Not Listed")},
             // Picked files outside the data folders: bundles, an entry, a file of no kind.
             {u"My.apple.app/Contents/Info.plist"_s, bundle + "my</string></dict></plist>"},
             {u"Blank.app/Contents/Info.plist"_s, bundle + " </string></dict></plist>"},
             {u"elsewhere/kde4/konsole.desktop"_s, app("Name=Konsole")},
             {u"elsewhere/notes.txt"_s, app("Name=Notes")}});
        return written && QFile::link(root + u'/' + u, root + u'/' + u + u"loop"_s) &&
               QDir().mkpath(root + u"/home/.steam"_s) &&
               QFile::link(root + u"/home/.local/share/Steam"_s, root + u"/home/.steam/steam"_s);
    }
};

}  // namespace thrumwise::test
