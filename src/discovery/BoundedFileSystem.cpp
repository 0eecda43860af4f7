#include "discovery/BoundedFileSystem.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDirIterator>
#include <QFile>

namespace thrumwise {

namespace {

bool isReadableSize(const struct stat& status, qint64 maxBytes) {
    return S_ISREG(status.st_mode) && status.st_size <= maxBytes;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::optional<QByteArray> BoundedFileSystem::readFile(const QString& path) const {
    const QByteArray native = QFile::encodeName(path);
    struct stat status {};
    // Checked before opening: opening a FIFO can block and opening a device can act.
    if (::stat(native.constData(), &status) != 0 || !isReadableSize(status, limits_.maxFileBytes)) {
        return std::nullopt;
    }
    // Non-blocking, so a file swapped for a FIFO after the check cannot hang the open.
    const FileDescriptor file(
        ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0 || ::fstat(file.get(), &status) != 0 ||
        !isReadableSize(status, limits_.maxFileBytes)) {
        return std::nullopt;
    }
    // One byte more than the size, to notice a file that grew while it was read.
    const auto size = static_cast<qsizetype>(status.st_size);
    QByteArray bytes(size + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t count = ::read(file.get(), bytes.data() + filled,
                                     static_cast<std::size_t>(bytes.size() - filled));
        if (count == 0) {
            break;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        filled += count;
    }
    if (filled > size) {
        return std::nullopt;
    }
    bytes.truncate(filled);
    return bytes;
}

QStringList BoundedFileSystem::listFolder(const QString& path) const {
    QStringList names;
    QDirIterator entries(path,
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (names.size() < limits_.maxEntriesPerFolder && entries.hasNext()) {
        entries.next();
        names.append(entries.fileName());
    }
    names.sort();
    return names;
}

QString joinPath(const QString& folder, const QString& name) {
    if (folder.endsWith(QLatin1Char('/'))) {
        return folder + name;
    }
    return folder + QLatin1Char('/') + name;
}

}  // namespace thrumwise
