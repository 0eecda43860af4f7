#pragma once

#include "discovery/DesktopEntryDiscovery.h"

#include <vector>

#include <QHash>
#include <QString>

namespace thrumwise {

// Where the icon of an application lies, by the identifier profiles are keyed by: the Icon of
// the desktop entry the discovery lists under that identifier (a theme icon name or an absolute
// path), else for a Steam game the theme icon Steam installs for it. Empty when nothing is
// known; the view then shows its fallback symbol. It holds what one scan found: a later scan
// makes a new one.
class AppIconLocator {
public:
    // Knows no desktop entries; Steam games still get their theme icon.
    AppIconLocator() = default;
    // The first entry for an identifier is the one the discovery lists.
    explicit AppIconLocator(const std::vector<DesktopEntryDiscovery::Found>& desktopEntries);

    QString iconFor(const QString& identifier) const;

private:
    QHash<QString, QString> iconsByIdentifier_;
};

}  // namespace thrumwise
