#include "discovery/AppBundleReader.h"

#include "discovery/PropertyListReader.h"

namespace thrumwise {

namespace {

const QString* stringMember(const PropertyListValue& dictionary, const QString& key) {
    const PropertyListValue* value = dictionary.member(key);
    return value != nullptr ? value->get<QString>() : nullptr;
}

// The last path component; only a trailing ".app" goes, so "My.apple.app" stays "My.apple".
QString bundleFolderName(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    QString name = path.sliced(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.endsWith(QLatin1String(".app"))) {
        name.chop(4);
    }
    return name;
}

}  // namespace

std::optional<InstalledApp> AppBundleReader::readAppBundle(const QString& path) const {
    const auto bytes = files_.readFile(joinPath(path, QStringLiteral("Contents/Info.plist")));
    const auto info = bytes ? PropertyListReader::parse(*bytes) : std::nullopt;
    const QString* identifier =
        info ? stringMember(*info, QStringLiteral("CFBundleIdentifier")) : nullptr;
    if (identifier == nullptr) {
        return std::nullopt;
    }
    QString name;
    if (const QString* displayName = stringMember(*info, QStringLiteral("CFBundleDisplayName"))) {
        name = *displayName;
    } else if (const QString* bundleName = stringMember(*info, QStringLiteral("CFBundleName"))) {
        name = *bundleName;
    } else {
        name = bundleFolderName(path);
    }
    return InstalledApp{*identifier, name, path};
}

}  // namespace thrumwise
