#include "model/ProfileManager.h"
#include "support/Files.h"
#include "support/LogRecorder.h"
#include "support/SampleProfiles.h"

#include <filesystem>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;
using namespace Qt::StringLiterals;
using Lines = std::vector<std::string>;

const std::string kSaveFailed = "[ProfileManager] Failed to save profiles: ";

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

// A store in a folder not made yet, its clock stopped at 2026-12-06 09:05:07.
struct Store {
    QTemporaryDir root;
    QString folder = root.filePath(u"nested/Thrumwise"_s);
    QString file = folder + u"/profiles.json"_s;
    test::LogRecorder log;
    ProfileManager manager{folder, log.logger(), [] {
                               return QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7), Qt::UTC);
                           }};
    const std::vector<GameProfile> old{test::profile("OLD", "Old", "b")};

    QStringList entries() const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
};

class ProfileManagerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Saved profiles load back. An unreadable file is never overwritten: it, or a folder in its
    // place, goes aside under a name no earlier copy has, and the next save starts fresh.
    void savedProfilesLoadBackAndAnUnreadableFileIsMovedAside() {
        Store store;
        QVERIFY(store.manager.loadProfiles().empty());  // the first run: nothing, not even a line
        QVERIFY(QDir(store.folder).exists() && store.log.lines().empty());
        QCOMPARE(store.manager.profilesFilePath(), store.file);
        store.manager.saveProfiles({});
        QCOMPARE(readFile(store.file), QByteArray("[]"));
        QVERIFY(store.manager.loadProfiles().empty());
        const std::vector<GameProfile> profiles{
            test::profile("P", "Arena", "a", {test::keyMapping("M", 1, "wave")}), store.old[0]};
        store.manager.saveProfiles(profiles);
        QVERIFY(store.manager.loadProfiles() == profiles);
        QCOMPARE(
            store.log.lines(),
            (Lines{"[ProfileManager] Saved 0 profiles", "[ProfileManager] Loaded 0 profiles",
                   "[ProfileManager] Saved 2 profiles", "[ProfileManager] Loaded 2 profiles"}));
        QCOMPARE(store.entries(), QStringList{u"profiles.json"_s});
        const QString stamped = store.file + u".unreadable-20261206T090507Z"_s;
        for (const auto& [inside, content, reason, movedTo] :
             std::vector<std::tuple<QString, QByteArray, std::string, QString>>{
                 {u""_s, "", "not valid JSON", stamped},
                 {u""_s, R"([{"id":"P"}])", "key \"displayName\" is missing", stamped + u"-2"_s},
                 {u"/keep"_s, "k", "", stamped + u"-3"_s}}) {
            QFile::remove(store.file);
            QVERIFY(test::writeFile(store.file + inside, content));
            store.log.clear();
            QVERIFY(store.manager.loadProfiles().empty());
            const auto lines = store.log.lines();
            QCOMPARE(lines.size(), std::size_t{2});
            QVERIFY2(lines[0].starts_with("[ProfileManager] Failed to load profiles: ") &&
                         lines[0].find(reason) != std::string::npos,
                     lines[0].c_str());
            QCOMPARE(lines[1],
                     "[ProfileManager] Moved unreadable profiles file to " + movedTo.toStdString());
            QCOMPARE(readFile(movedTo + inside), content);
            QVERIFY(!store.manager.saveProfiles(store.old));
        }
        QVERIFY(store.manager.loadProfiles() == store.old);
        QCOMPARE(readFile(stamped), QByteArray());
    }

    // A reader of the old file keeps it whole; a failed save leaves it as it was, with no
    // partial copy beside it. A file in the folder's place fails the save aloud too.
    void aSaveReplacesTheFileWholeOrNotAtAll() {
        Store store;
        store.manager.saveProfiles(store.old);
        const QByteArray oldBytes = readFile(store.file);
        const QString reader = store.root.filePath(u"reader"_s);
        std::filesystem::create_hard_link(store.file.toStdString(), reader.toStdString());
        store.log.clear();
        QVERIFY(store.manager.saveProfiles({test::profile("P", "\xc3\x28", "b")}));
        store.manager.saveProfiles({});
        QCOMPARE(readFile(reader), oldBytes);
        QCOMPARE(readFile(store.file), QByteArray("[]"));
        // A folder in the file's place makes the final rename fail, whoever runs the test.
        QVERIFY(QFile::remove(store.file) && test::writeFile(store.file + u"/keep"_s, "k"));
        const auto reason = store.manager.saveProfiles(store.old);
        QVERIFY(reason && !reason->empty());
        const auto lines = store.log.lines();
        QVERIFY(lines[0].starts_with(kSaveFailed));
        QCOMPARE(lines[2], kSaveFailed + *reason);
        QCOMPARE(readFile(store.file + u"/keep"_s), QByteArray("k"));
        QCOMPARE(store.entries(), QStringList{u"profiles.json"_s});
        QVERIFY(QDir(store.folder).removeRecursively() &&
                test::writeFile(store.folder, "not a folder"));
        store.log.clear();
        QVERIFY(store.manager.loadProfiles().empty() && store.log.lines().empty());
        const auto refused = store.manager.saveProfiles(store.old);
        QVERIFY(refused && store.log.lines() == Lines{kSaveFailed + *refused});
        QCOMPARE(readFile(store.folder), QByteArray("not a folder"));
    }
};

QTEST_GUILESS_MAIN(ProfileManagerTest)
#include "ProfileManagerTest.moc"
