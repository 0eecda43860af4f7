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
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
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
    void savedProfilesLoadBackAndEveryCountIsLogged() {
        Store store;
        QVERIFY(store.manager.loadProfiles().empty());  // the first run: nothing, not even a line
        QVERIFY(QDir(store.folder).exists() && store.log.lines().empty());
        QCOMPARE(store.manager.profilesFilePath(), store.file);
        store.manager.saveProfiles({});
        QCOMPARE(readFile(store.file), QByteArray("[]"));
        QVERIFY(store.manager.loadProfiles().empty());
        const std::vector<GameProfile> profiles{
            test::profile("P", "Arena", "a", {test::keyMapping("M", 1, "wave")}),
            test::profile("Q", "Quest", "b")};
        store.manager.saveProfiles(profiles);
        QVERIFY(store.manager.loadProfiles() == profiles);
        QCOMPARE(
            store.log.lines(),
            (Lines{"[ProfileManager] Saved 0 profiles", "[ProfileManager] Loaded 0 profiles",
                   "[ProfileManager] Saved 2 profiles", "[ProfileManager] Loaded 2 profiles"}));
        QCOMPARE(store.entries(), QStringList{QStringLiteral("profiles.json")});
    }

    // Never overwritten: the file goes aside under a name no earlier copy has.
    void anUnreadableFileIsMovedAsideAndTheNextSaveStartsFresh() {
        Store store;
        const QString stamped = store.file + QStringLiteral(".unreadable-20261206T090507Z");
        for (const auto& [content, reason, movedTo] :
             std::vector<std::tuple<QByteArray, std::string, QString>>{
                 {"", "not valid JSON", stamped},
                 {R"([{"id":"P"}])", "key \"displayName\" is missing",
                  stamped + QStringLiteral("-2")}}) {
            QVERIFY(writeFile(store.file, content));
            store.log.clear();
            QVERIFY(store.manager.loadProfiles().empty());
            const auto lines = store.log.lines();
            QCOMPARE(lines.size(), std::size_t{2});
            QVERIFY2(lines[0].starts_with("[ProfileManager] Failed to load profiles: ") &&
                         lines[0].find(reason) != std::string::npos,
                     lines[0].c_str());
            QCOMPARE(lines[1],
                     "[ProfileManager] Moved unreadable profiles file to " + movedTo.toStdString());
            QCOMPARE(readFile(movedTo), content);
        }
        const std::vector<GameProfile> current{test::profile("P", "Arena", "b")};
        store.manager.saveProfiles(current);
        QVERIFY(store.manager.loadProfiles() == current);
        QCOMPARE(readFile(stamped), QByteArray());
    }

    // A reader of the old file keeps it whole; a failed save leaves it as it was.
    void aSaveReplacesTheFileWholeOrNotAtAll() {
        Store store;
        const std::vector<GameProfile> old{test::profile("OLD", "Old", "b")};
        store.manager.saveProfiles(old);
        const QByteArray oldBytes = readFile(store.file);
        const QString reader = store.root.filePath(QStringLiteral("reader"));
        QCOMPARE(::link(QFile::encodeName(store.file).constData(),
                        QFile::encodeName(reader).constData()),
                 0);
        store.manager.saveProfiles({test::profile("P", std::string("\xc3\x28"), "b")});
        store.manager.saveProfiles({});
        QCOMPARE(readFile(reader), oldBytes);
        QCOMPARE(readFile(store.file), QByteArray("[]"));
        // A folder in the file's place makes the final rename fail, whoever runs the test.
        QVERIFY(QFile::remove(store.file) && writeFile(store.file + QStringLiteral("/keep"), "k"));
        store.manager.saveProfiles(old);
        const auto lines = store.log.lines();
        QVERIFY(lines[1].starts_with("[ProfileManager] Failed to save profiles: "));
        QVERIFY(lines[3].starts_with("[ProfileManager] Failed to save profiles: "));
        QCOMPARE(readFile(store.file + QStringLiteral("/keep")), QByteArray("k"));
        QCOMPARE(store.entries(), QStringList{QStringLiteral("profiles.json")});
    }
};

QTEST_GUILESS_MAIN(ProfileManagerTest)
#include "ProfileManagerTest.moc"
