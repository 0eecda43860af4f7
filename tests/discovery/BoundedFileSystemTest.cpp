#include "FixtureFiles.h"

#include <sys/stat.h>

class BoundedFileSystemTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Never folders, devices or pipes, whose open or read could block or never end.
    void readsRegularFilesUpToTheLimitAndListsFoldersSortedAndCapped() {
        QTemporaryDir dir;
        const auto at = [&](const char* name) {
            return QDir(dir.path()).filePath(QString::fromLatin1(name));
        };
        const BoundedFileSystem files;
        const QByteArray largest(files.limits().maxFileBytes, 'x');
        QVERIFY(test::writeFiles(
            dir.path(), {{u"limit"_s, largest}, {u"over"_s, largest + 'x'}, {u".empty"_s, {}}}));
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        QCOMPARE(::mkfifo(QFile::encodeName(at("fifo")).constData(), 0600), 0);
        QVERIFY(QFile::link(at("limit"), at("link")) && QFile::link(at("fifo"), at("to-fifo")) &&
                QFile::link(u"/dev/zero"_s, at("zero")));
        QStringList read;
        for (const char* name :
             {"limit", "link", ".empty", "over", "folder", "fifo", "zero", "to-fifo", "missing"}) {
            const auto bytes = files.readFile(at(name));
            read.append(bytes ? QString::number(bytes->count('x')) : u"-"_s);
        }
        QCOMPARE(read.join(u' '), u"%1 %1 0 - - - - - -"_s.arg(largest.size()));
        QCOMPARE(BoundedFileSystem(ScanLimits{.maxFileBytes = 3}).readFile(at("limit")),
                 std::nullopt);
        const auto list = [&](int cap, const char* name = "") {
            return BoundedFileSystem(ScanLimits{.maxEntriesPerFolder = cap}).listFolder(at(name));
        };
        const QStringList all = list(8), capped = list(2);
        QCOMPARE(all.join(u' '), u".empty fifo folder limit link over to-fifo zero"_s);
        QVERIFY(capped.size() == 2 && all.contains(capped[0]) && all.contains(capped[1]) &&
                capped[0] < capped[1]);
        QVERIFY(list(8, "limit").isEmpty() && list(8, "none").isEmpty());
    }
};

QTEST_GUILESS_MAIN(BoundedFileSystemTest)
#include "BoundedFileSystemTest.moc"
