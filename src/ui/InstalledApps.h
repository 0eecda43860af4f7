#pragma once

#include "discovery/AppIconLocator.h"
#include "discovery/InstalledApp.h"
#include "ui/AppIconLookup.h"

#include <cstdint>
#include <optional>
#include <vector>

#include <QHash>
#include <QObject>
#include <QThreadPool>

namespace thrumwise {

class LinuxAppDiscovery;

// The applications and games of this desktop, found off the GUI thread (a
// scan reads thousands of files), and their icons by identifier. A scan runs
// when the object is made, so the sidebar's icons come soon after launch, and
// again whenever a picker asks.
class InstalledApps : public QObject, public AppIconLookup {
    Q_OBJECT

public:
    // `discovery` must outlive this object, which waits for its scans when it goes.
    explicit InstalledApps(const LinuxAppDiscovery& discovery, QObject* parent = nullptr);
    ~InstalledApps() override;

    InstalledApps(const InstalledApps&) = delete;
    InstalledApps& operator=(const InstalledApps&) = delete;

    // Returns at once with the scan's number; scanned() follows on the GUI
    // thread with that number.
    std::uint64_t scan();

    // A file or bundle folder the user picked; nothing when it holds no
    // application with an identifier. Reads one small file: fine on the GUI thread.
    std::optional<InstalledApp> readPickedApp(const QString& path) const;

    QIcon iconFor(const std::string& bundleId) override;

Q_SIGNALS:
    // After every scan: the applications, unique by identifier, sorted by name.
    void scanned(std::uint64_t scan, const std::vector<InstalledApp>& apps);
    // The icons were read again; views showing icons should draw them anew.
    void iconsChanged();

private:
    const LinuxAppDiscovery& discovery_;
    AppIconLocator locator_;
    QHash<QString, QIcon> icons_;
    std::uint64_t scansStarted_ = 0;
    // Last: it waits for a running scan before the rest goes.
    QThreadPool pool_;
};

}  // namespace thrumwise
