#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace thrumwise {

// What reading one file or one folder may cost during a scan or a hand-picked read.
struct ScanLimits {
    qint64 maxFileBytes = qint64{1} << 20;
    int maxEntriesPerFolder = 10'000;
    // Levels of subfolders entered below a folder that is walked recursively.
    int maxFolderDepth = 8;
};

// Read-only access for the discovery, so that a hostile file costs a skipped entry and never a
// hung or unbounded read: only regular files are opened (a link is followed only to one, never
// to a device or a FIFO), files larger than the limit are not read, and listings stop at the
// entry limit.
class BoundedFileSystem {
public:
    explicit BoundedFileSystem(ScanLimits limits = {}) : limits_(limits) {}

    const ScanLimits& limits() const { return limits_; }

    // Nothing when the path is not a regular file, is larger than the limit or cannot be read.
    std::optional<QByteArray> readFile(const QString& path) const;

    // The names in the folder, sorted so results do not depend on the file system's order;
    // empty when the path is not a folder that can be listed.
    QStringList listFolder(const QString& path) const;

private:
    ScanLimits limits_;
};

// folder + "/" + name, without doubling a separator the folder already ends with.
QString joinPath(const QString& folder, const QString& name);

}  // namespace thrumwise
