#include "ui/InstalledApps.h"

#include "discovery/LinuxAppDiscovery.h"

#include <QFileInfo>

namespace thrumwise {

namespace {

// A theme icon name, or an absolute path to an image.
QIcon iconOf(const QString& nameOrPath) {
    if (nameOrPath.isEmpty()) {
        return {};
    }
    if (QFileInfo(nameOrPath).isAbsolute()) {
        return QFileInfo(nameOrPath).isFile() ? QIcon(nameOrPath) : QIcon();
    }
    return QIcon::fromTheme(nameOrPath);
}

}  // namespace

InstalledApps::InstalledApps(const LinuxAppDiscovery& discovery, QObject* parent)
    : QObject(parent), discovery_(discovery) {
    pool_.setMaxThreadCount(1);  // scans queue up rather than compete for the disk
    scan();
}

InstalledApps::~InstalledApps() {
    pool_.clear();
    pool_.waitForDone();
}

std::uint64_t InstalledApps::scan() {
    const std::uint64_t number = ++scansStarted_;
    pool_.start([this, number] {
        auto found = std::make_shared<LinuxAppDiscovery::Scan>(discovery_.scan());
        // Dropped, with the object, if it goes first.
        QMetaObject::invokeMethod(
            this,
            [this, number, found] {
                locator_ = std::move(found->icons);
                icons_.clear();
                Q_EMIT iconsChanged();
                Q_EMIT scanned(number, found->apps);
            },
            Qt::QueuedConnection);
    });
    return number;
}

std::optional<InstalledApp> InstalledApps::readPickedApp(const QString& path) const {
    return discovery_.readPickedApp(path);
}

QIcon InstalledApps::iconFor(const std::string& bundleId) {
    const QString id = QString::fromStdString(bundleId);
    const auto cached = icons_.constFind(id);
    if (cached != icons_.cend()) {
        return *cached;
    }
    QIcon icon = iconOf(locator_.iconFor(id));
    icons_.insert(id, icon);
    return icon;
}

}  // namespace thrumwise
