#include "discovery/AppIconLocator.h"

#include "discovery/DesktopEntryDiscovery.h"
#include "discovery/LinuxAppDiscovery.h"

#include <QRegularExpression>

namespace thrumwise {

AppIconLocator::AppIconLocator(const DesktopEntryDiscovery& desktopEntries,
                               const LinuxAppDiscovery& discovery)
    : desktopEntries_(desktopEntries), discovery_(discovery) {}

QString AppIconLocator::iconFor(const QString& identifier) {
    if (!iconsByIdentifier_ || cachedAtScan_ != discovery_.scanCount()) {
        cachedAtScan_ = discovery_.scanCount();
        iconsByIdentifier_.emplace();
        // The first entry for an identifier is the one the discovery lists.
        for (const auto& found : desktopEntries_.scan()) {
            if (!iconsByIdentifier_->contains(found.app.bundleId)) {
                iconsByIdentifier_->insert(found.app.bundleId, found.icon);
            }
        }
    }
    const auto known = iconsByIdentifier_->constFind(identifier);
    if (known != iconsByIdentifier_->cend()) {
        return *known;
    }
    static const QRegularExpression steamGame(QStringLiteral(R"(\Asteam_app_([0-9]+)\z)"));
    const auto match = steamGame.match(identifier);
    return match.hasMatch() ? QStringLiteral("steam_icon_") + match.captured(1) : QString();
}

}  // namespace thrumwise
