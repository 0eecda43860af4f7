#include "discovery/AppIconLocator.h"

#include <QRegularExpression>

namespace thrumwise {

AppIconLocator::AppIconLocator(const std::vector<DesktopEntryDiscovery::Found>& desktopEntries) {
    for (const auto& found : desktopEntries) {
        if (!iconsByIdentifier_.contains(found.app.bundleId)) {
            iconsByIdentifier_.insert(found.app.bundleId, found.icon);
        }
    }
}

QString AppIconLocator::iconFor(const QString& identifier) const {
    const auto known = iconsByIdentifier_.constFind(identifier);
    if (known != iconsByIdentifier_.cend()) {
        return *known;
    }
    static const QRegularExpression steamGame(QStringLiteral(R"(\Asteam_app_([0-9]+)\z)"));
    const auto match = steamGame.match(identifier);
    return match.hasMatch() ? QStringLiteral("steam_icon_") + match.captured(1) : QString();
}

}  // namespace thrumwise
