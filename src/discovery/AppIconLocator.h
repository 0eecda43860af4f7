#pragma once

#include <cstdint>
#include <optional>

#include <QHash>
#include <QString>

namespace thrumwise {

class DesktopEntryDiscovery;
class LinuxAppDiscovery;

// Where the icon of an application lies, by the identifier profiles are keyed by: the Icon of
// the desktop entry the discovery lists under that identifier (a theme icon name or an absolute
// path), else for a Steam game the theme icon Steam installs for it. Empty when nothing is
// known; the view then shows its fallback symbol.
class AppIconLocator {
public:
    AppIconLocator(const DesktopEntryDiscovery& desktopEntries, const LinuxAppDiscovery& discovery);

    // The first look-up, and the first after each scan of the discovery, reads the desktop
    // entries once; the others are answered from that reading.
    QString iconFor(const QString& identifier);

private:
    const DesktopEntryDiscovery& desktopEntries_;
    const LinuxAppDiscovery& discovery_;
    std::uint64_t cachedAtScan_ = 0;
    std::optional<QHash<QString, QString>> iconsByIdentifier_;
};

}  // namespace thrumwise
