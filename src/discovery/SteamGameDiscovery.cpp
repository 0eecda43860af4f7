#include "discovery/SteamGameDiscovery.h"

#include "discovery/ValveKeyValues.h"

#include <algorithm>

#include <QFileInfo>
#include <QSet>

namespace thrumwise {

namespace {

constexpr QLatin1String steamAppsFolder("steamapps");
constexpr QLatin1String manifestPrefix("appmanifest_");
constexpr QLatin1String manifestSuffix(".acf");

bool isNumber(QStringView text) {
    return !text.isEmpty() && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
}

// The app id of a file named "appmanifest_<appid>.acf"; empty for any other name.
QString manifestAppId(const QString& fileName) {
    if (!fileName.startsWith(manifestPrefix) || !fileName.endsWith(manifestSuffix)) {
        return {};
    }
    const QString id = fileName.sliced(
        manifestPrefix.size(), fileName.size() - manifestPrefix.size() - manifestSuffix.size());
    return isNumber(id) ? id : QString();
}

// The library folders a libraryfolders.vdf names: numbered sections with a "path" or, in the
// older form, numbered keys whose values are the paths. Other keys are not libraries.
QStringList listedLibraries(const ValveKeyValues& file) {
    QStringList paths;
    const ValveKeyValues* folders = file.child(u"libraryfolders");
    if (folders == nullptr) {
        return paths;
    }
    for (const ValveKeyValues& entry : folders->children()) {
        const ValveKeyValues* path = entry.isSection() ? entry.child(u"path") : &entry;
        if (isNumber(entry.key()) && path != nullptr && !path->isSection() &&
            !path->value().isEmpty()) {
            paths.append(path->value());
        }
    }
    return paths;
}

}  // namespace

SteamGameDiscovery::SteamGameDiscovery(QStringList steamRoots, BoundedFileSystem files)
    : steamRoots_(std::move(steamRoots)), files_(files) {}

QStringList SteamGameDiscovery::standardRoots(const QString& home) {
    return {home + QStringLiteral("/.local/share/Steam"), home + QStringLiteral("/.steam/steam")};
}

std::vector<InstalledApp> SteamGameDiscovery::scan() const {
    std::vector<InstalledApp> games;
    for (const QString& library : libraries()) {
        for (const QString& name : files_.listFolder(library)) {
            if (manifestAppId(name).isEmpty()) {
                continue;
            }
            if (auto game = readManifest(joinPath(library, name))) {
                games.push_back(std::move(*game));
            }
        }
    }
    return games;
}

std::optional<InstalledApp> SteamGameDiscovery::readManifest(const QString& path) const {
    const QString appId = manifestAppId(QFileInfo(path).fileName());
    const auto bytes = appId.isEmpty() ? std::nullopt : files_.readFile(path);
    const auto manifest = bytes ? ValveKeyValues::parse(*bytes) : std::nullopt;
    const ValveKeyValues* state = manifest ? manifest->child(u"AppState") : nullptr;
    const ValveKeyValues* name = state != nullptr ? state->child(u"name") : nullptr;
    if (name == nullptr || name->isSection() || name->value().trimmed().isEmpty()) {
        return std::nullopt;
    }
    return InstalledApp{QStringLiteral("steam_app_") + appId, name->value(), path};
}

QStringList SteamGameDiscovery::libraries() const {
    QStringList libraries;
    QSet<QString> seen;
    auto add = [&](const QString& library) {
        const QString canonical = QFileInfo(library).canonicalFilePath();
        if (!canonical.isEmpty() && !seen.contains(canonical)) {
            seen.insert(canonical);
            libraries.append(library);
        }
    };
    for (const QString& root : steamRoots_) {
        const QString library = joinPath(root, steamAppsFolder);
        add(library);
        const auto bytes = files_.readFile(joinPath(library, QStringLiteral("libraryfolders.vdf")));
        const auto listing = bytes ? ValveKeyValues::parse(*bytes) : std::nullopt;
        if (listing) {
            for (const QString& path : listedLibraries(*listing)) {
                add(joinPath(path, steamAppsFolder));
            }
        }
    }
    return libraries;
}

}  // namespace thrumwise
