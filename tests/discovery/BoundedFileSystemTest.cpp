#include "FixtureFiles.h"
#include "discovery/BoundedFileSystem.h"

#include <sys/stat.h>

#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;

class BoundedFileSystemTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsRegularFilesUpToTheLimit() {
        QTemporaryDir root;
        const BoundedFileSystem files;
        const QString limit = root.filePath(QStringLiteral("limit"));
        const QString over = root.filePath(QStringLiteral("over"));
        const QByteArray largest(files.limits().maxFileBytes, 'x');
        QVERIFY(test::writeFile(limit, largest));
        QVERIFY(test::writeFile(over, largest + 'x'));
        QVERIFY(test::writeFile(root.filePath(QStringLiteral("empty")), QByteArray()));
        QVERIFY(QFile::link(limit, root.filePath(QStringLiteral("link"))));

        QCOMPARE(files.readFile(limit), std::optional(largest));
        QCOMPARE(files.readFile(root.filePath(QStringLiteral("link"))), std::optional(largest));
        QCOMPARE(files.readFile(root.filePath(QStringLiteral("empty"))),
                 std::optional(QByteArray()));
        QCOMPARE(files.readFile(over), std::nullopt);
        QCOMPARE(BoundedFileSystem(ScanLimits{.maxFileBytes = 3}).readFile(limit), std::nullopt);
    }

    void neverOpensFoldersDevicesOrPipes() {
        QTemporaryDir root;
        const QString fifo = root.filePath(QStringLiteral("fifo"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), root.filePath(QStringLiteral("zero"))));
        QVERIFY(QFile::link(fifo, root.filePath(QStringLiteral("to-fifo"))));
        const BoundedFileSystem files;
        // A blocking open of the FIFO or a read of /dev/zero would never return.
        for (const char* name : {"fifo", "zero", "to-fifo", "missing", ""}) {
            QCOMPARE(files.readFile(root.filePath(QString::fromLatin1(name))), std::nullopt);
        }
    }

    void listsFoldersSortedAndCapped() {
        QTemporaryDir root;
        for (const char* name : {"b", "a", ".hidden", "c"}) {
            QVERIFY(test::writeFile(root.filePath(QString::fromLatin1(name)), "x"));
        }
        QVERIFY(QDir(root.path()).mkdir(QStringLiteral("folder")));
        const QStringList all{QStringLiteral(".hidden"), QStringLiteral("a"), QStringLiteral("b"),
                              QStringLiteral("c"), QStringLiteral("folder")};
        QCOMPARE(BoundedFileSystem().listFolder(root.path()), all);
        QCOMPARE(BoundedFileSystem(ScanLimits{.maxEntriesPerFolder = 5}).listFolder(root.path()),
                 all);
        const QStringList capped =
            BoundedFileSystem(ScanLimits{.maxEntriesPerFolder = 2}).listFolder(root.path());
        QCOMPARE(capped.size(), 2);
        QVERIFY(all.contains(capped[0]) && all.contains(capped[1]) && capped[0] < capped[1]);
        QVERIFY(BoundedFileSystem().listFolder(root.filePath(QStringLiteral("a"))).isEmpty());
        QVERIFY(BoundedFileSystem().listFolder(root.filePath(QStringLiteral("none"))).isEmpty());
    }
};

QTEST_GUILESS_MAIN(BoundedFileSystemTest)
#include "BoundedFileSystemTest.moc"
