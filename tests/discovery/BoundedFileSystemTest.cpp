#include "FixtureFiles.h"
#include "discovery/BoundedFileSystem.h"

#include <sys/stat.h>

class BoundedFileSystemTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Regular files up to the limit, also through a link; never folders, devices or pipes, whose
    // open or read could block or never end.
    void readsRegularFilesUpToTheLimitAndListsFoldersSortedAndCapped() {
        QTemporaryDir dir;
        const BoundedFileSystem files;
        const QByteArray largest(files.limits().maxFileBytes, 'x');
        QVERIFY(test::writeFiles(
            dir.path(), {{u"limit"_s, largest}, {u"over"_s, largest + 'x'}, {u".empty"_s, {}}}));
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        const QString fifo = dir.filePath(u"fifo"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(QFile::link(dir.filePath(u"limit"_s), dir.filePath(u"link"_s)));
        QVERIFY(QFile::link(u"/dev/zero"_s, dir.filePath(u"zero"_s)));
        QVERIFY(QFile::link(fifo, dir.filePath(u"to-fifo"_s)));
        QCOMPARE(files.readFile(dir.filePath(u"limit"_s)), std::optional(largest));
        QCOMPARE(files.readFile(dir.filePath(u"link"_s)), std::optional(largest));
        QCOMPARE(files.readFile(dir.filePath(u".empty"_s)), std::optional(QByteArray()));
        for (const char* name : {"over", "folder", "fifo", "zero", "to-fifo", "missing"}) {
            QCOMPARE(files.readFile(dir.filePath(QString::fromLatin1(name))), std::nullopt);
        }
        QCOMPARE(
            BoundedFileSystem(ScanLimits{.maxFileBytes = 3}).readFile(dir.filePath(u"limit"_s)),
            std::nullopt);
        // Folders list sorted, hidden names, folders and links too, up to the cap.
        const QStringList all =
            QString::fromLatin1(".empty fifo folder limit link over to-fifo zero").split(u' ');
        const auto list = [&](int cap, const QString& name = {}) {
            return BoundedFileSystem(ScanLimits{.maxEntriesPerFolder = cap})
                .listFolder(dir.filePath(name));
        };
        QCOMPARE(list(8), all);
        const QStringList capped = list(2);
        QVERIFY(capped.size() == 2 && all.contains(capped[0]) && all.contains(capped[1]) &&
                capped[0] < capped[1]);
        QVERIFY(list(8, u"limit"_s).isEmpty() && list(8, u"none"_s).isEmpty());
    }
};

QTEST_GUILESS_MAIN(BoundedFileSystemTest)
#include "BoundedFileSystemTest.moc"
