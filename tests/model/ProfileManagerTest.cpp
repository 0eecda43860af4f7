#include "model/ProfileManager.h"
#include "support/LogRecorder.h"
#include "support/SampleProfiles.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;
using Lines = std::vector<std::string>;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

// A store in a folder that does not exist yet, its clock stopped at 09:05:07
// on 6 December 2026.
struct Store {
    QTemporaryDir root;
    QString folder = root.filePath(QStringLiteral("nested/Thrumwise"));
    QString file = folder + QStringLiteral("/profiles.json");
    test::LogRecorder log;
    ProfileManager manager{folder, log.logger(), [] {
                               return QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7), Qt::UTC);
                           }};

    QStringList entries() const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }
};

}  // namespace

class ProfileManagerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theFirstRunCreatesTheFolderAndLogsNothing() {
        Store store;
        QVERIFY(store.manager.loadProfiles().empty());
        QVERIFY(QDir(store.folder).exists());
        QVERIFY(store.log.lines().empty());
        QCOMPARE(store.manager.profilesFilePath(), store.file);
    }

    void savedProfilesLoadBackAndEveryCountIsLogged() {
        Store store;
        store.manager.saveProfiles({});
        QCOMPARE(readFile(store.file), QByteArray("[]"));
        QVERIFY(store.manager.loadProfiles().empty());
        const auto profiles = test::manyProfiles(3, 4);
        store.manager.saveProfiles(profiles);
        QVERIFY(store.manager.loadProfiles() == profiles);
        QVERIFY(readFile(store.file).startsWith("[\n  {\n"));
        QCOMPARE(
            store.log.lines(),
            (Lines{"[ProfileManager] Saved 0 profiles", "[ProfileManager] Loaded 0 profiles",
                   "[ProfileManager] Saved 3 profiles", "[ProfileManager] Loaded 3 profiles"}));
        QCOMPARE(store.entries(), QStringList{QStringLiteral("profiles.json")});
    }

    void anUnreadableFileIsMovedAsideAndTheNextSaveStartsFresh_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("zero bytes") << QByteArray() << QStringLiteral("not valid JSON");
        QTest::newRow("a profile without its name")
            << QByteArray(R"([{"id":"P"}])") << QStringLiteral("key \"displayName\" is missing");
    }

    void anUnreadableFileIsMovedAsideAndTheNextSaveStartsFresh() {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        Store store;
        QVERIFY(writeFile(store.file, content));

        QVERIFY(store.manager.loadProfiles().empty());

        const auto lines = store.log.lines();
        QCOMPARE(lines.size(), std::size_t{2});
        QVERIFY2(lines[0].starts_with("[ProfileManager] Failed to load profiles: ") &&
                     lines[0].find(reason.toStdString()) != std::string::npos,
                 lines[0].c_str());
        const std::string moved = "[ProfileManager] Moved unreadable profiles file to ";
        QVERIFY(lines[1].starts_with(moved));
        const QString movedTo = QString::fromStdString(lines[1].substr(moved.size()));
        QCOMPARE(movedTo, store.file + QStringLiteral(".unreadable-20261206T090507Z"));
        QCOMPARE(readFile(movedTo), content);
        QVERIFY(!QFile::exists(store.file));

        const std::vector<GameProfile> current{test::profile("P", "Arena", "b")};
        store.manager.saveProfiles(current);
        QVERIFY(store.manager.loadProfiles() == current);
        QCOMPARE(readFile(movedTo), content);
    }

    void movingAsideNeverReplacesAnEarlierCopy() {
        Store store;
        for (const char* content : {"first", "second", "third"}) {
            QVERIFY(writeFile(store.file, content));
            store.manager.loadProfiles();
        }
        const QString stamped = QStringLiteral("profiles.json.unreadable-20261206T090507Z");
        QCOMPARE(store.entries(), (QStringList{stamped, stamped + QStringLiteral("-2"),
                                               stamped + QStringLiteral("-3")}));
        QCOMPARE(readFile(QDir(store.folder).filePath(stamped)), QByteArray("first"));
        QCOMPARE(readFile(QDir(store.folder).filePath(stamped + QStringLiteral("-3"))),
                 QByteArray("third"));
    }

    void aFailedSaveLeavesThePreviousFileWhole() {
        Store store;
        // A directory in the file's place makes the final rename fail, whoever runs the test.
        QVERIFY(writeFile(store.file + QStringLiteral("/keep"), "kept"));
        store.manager.saveProfiles({test::profile("P", "Arena", "b")});
        QCOMPARE(store.log.lines().size(), std::size_t{1});
        QVERIFY(store.log.lines()[0].starts_with("[ProfileManager] Failed to save profiles: "));
        QCOMPARE(readFile(store.file + QStringLiteral("/keep")), QByteArray("kept"));
        QCOMPARE(store.entries(), QStringList{QStringLiteral("profiles.json")});
    }

    // A reader that still has the old file keeps it whole.
    void aSaveReplacesTheFileInsteadOfWritingIntoIt() {
        Store store;
        store.manager.saveProfiles({test::profile("OLD", "Old", "b")});
        const QByteArray old = readFile(store.file);
        const QString reader = store.root.filePath(QStringLiteral("reader"));
        QCOMPARE(::link(QFile::encodeName(store.file).constData(),
                        QFile::encodeName(reader).constData()),
                 0);
        store.manager.saveProfiles({});
        QCOMPARE(readFile(reader), old);
        QCOMPARE(readFile(store.file), QByteArray("[]"));
    }

    void anEncodingFailureLeavesTheFileUntouched() {
        Store store;
        const std::vector<GameProfile> old{test::profile("OLD", "Old", "b")};
        store.manager.saveProfiles(old);
        store.manager.saveProfiles({test::profile("P", std::string("\xc3\x28"), "b")});
        QVERIFY(store.log.lines().back().starts_with("[ProfileManager] Failed to save profiles: "));
        QVERIFY(store.manager.loadProfiles() == old);
    }
};

QTEST_GUILESS_MAIN(ProfileManagerTest)
#include "ProfileManagerTest.moc"
