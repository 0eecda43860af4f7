#include "model/ProfileManager.h"
#include "support/LogRecorder.h"
#include "support/SampleProfiles.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QScopeGuard>
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

// Saves `profiles` in a child process whose files may grow to `limit` bytes
// only, with SIGXFSZ ignored so that the write fails with EFBIG rather than
// killing it. Gives what the child logged and its save's reason, as lines.
Lines saveInChildWithFileSizeLimit(const QString& folder, const std::vector<GameProfile>& profiles,
                                   rlim_t limit) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return {"(no pipe)"};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const rlimit small{limit, limit};
        std::signal(SIGXFSZ, SIG_IGN);
        std::string told = ::setrlimit(RLIMIT_FSIZE, &small) == 0 ? "" : "(no limit)\n";
        {
            test::LogRecorder log;
            const auto reason = ProfileManager(folder, log.logger()).saveProfiles(profiles);
            for (const std::string& line : log.lines()) {
                told += line + '\n';
            }
            told += "reason: " + reason.value_or("(none)") + '\n';
        }
        const bool whole =
            ::write(channel[1], told.data(), told.size()) == static_cast<ssize_t>(told.size());
        ::_exit(whole ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray told;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        told.append(buffer, got);
    }
    ::close(channel[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return {"(the child failed)"};
    }
    Lines lines;
    for (const QByteArray& line : told.split('\n')) {
        if (!line.isEmpty()) {
            lines.push_back(line.toStdString());
        }
    }
    return lines;
}

std::vector<GameProfile> manyProfiles(int count) {
    std::vector<GameProfile> profiles;
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        profiles.push_back(test::profile("P" + n, "Game " + n, "game" + n,
                                         {test::keyMapping("M" + n, 1, "wave")}));
    }
    return profiles;
}

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

    // The write runs out of room part-way (a full disk, a quota): the file
    // still holds the last list saved, no partial copy is left beside it, and
    // the log says the save failed.
    void aSaveCutShortLeavesThePreviousFileWhole() {
        Store store;
        const std::vector<GameProfile> old{test::profile("OLD", "Old", "b")};
        store.manager.saveProfiles(old);
        const QByteArray oldBytes = readFile(store.file);
        const auto told = saveInChildWithFileSizeLimit(store.folder, manyProfiles(200), 4096);
        QCOMPARE(told.size(), std::size_t{2});
        const std::string prefix = "[ProfileManager] Failed to save profiles: ";
        QVERIFY2(told[0].starts_with(prefix) && told[0].size() > prefix.size(), told[0].c_str());
        QCOMPARE("reason: " + told[0].substr(prefix.size()), told[1]);
        QCOMPARE(readFile(store.file), oldBytes);
        QVERIFY(store.manager.loadProfiles() == old);
        QCOMPARE(store.entries(), QStringList{QStringLiteral("profiles.json")});
    }

    // Nothing can be written where the folder should be: every save fails
    // aloud, and what stands in the way is left as it was.
    void aFolderThatCannotHoldTheFileFailsEverySaveAloud() {
        Store store;
        QVERIFY(writeFile(store.folder, "not a folder"));
        QVERIFY(store.manager.loadProfiles().empty());
        QVERIFY(store.log.lines().empty());  // no file there: a first run
        const auto reason = store.manager.saveProfiles({test::profile("P", "Arena", "b")});
        QVERIFY(reason && !reason->empty());
        QCOMPARE(store.log.lines(), Lines{"[ProfileManager] Failed to save profiles: " + *reason});
        QCOMPARE(readFile(store.folder), QByteArray("not a folder"));
    }

    // Root writes to read-only folders all the same, so this runs only for others.
    void aReadOnlyFolderFailsTheSaveAndKeepsTheFile() {
        Store store;
        const std::vector<GameProfile> old{test::profile("OLD", "Old", "b")};
        store.manager.saveProfiles(old);
        const QFileDevice::Permissions writable = QFile::permissions(store.folder);
        QVERIFY(QFile::setPermissions(store.folder, QFile::ReadOwner | QFile::ExeOwner));
        const auto restore = qScopeGuard([&] { QFile::setPermissions(store.folder, writable); });
        if (::access(QFile::encodeName(store.folder).constData(), W_OK) == 0) {
            QSKIP("this user writes to read-only folders");
        }
        QVERIFY(store.manager.saveProfiles({}).has_value());
        QVERIFY(store.manager.loadProfiles() == old);
        QCOMPARE(store.entries(), QStringList{QStringLiteral("profiles.json")});
    }

    // A folder in the file's place cannot be read as profiles: it goes aside
    // whole like any unreadable file, and the next save writes a fresh file.
    void aFolderInTheFilesPlaceLoadsAsUnreadable() {
        Store store;
        QVERIFY(writeFile(store.file + QStringLiteral("/keep"), "k"));
        QVERIFY(store.manager.loadProfiles().empty());
        const auto lines = store.log.lines();
        QCOMPARE(lines.size(), std::size_t{2});
        QVERIFY2(lines[0].starts_with("[ProfileManager] Failed to load profiles: "),
                 lines[0].c_str());
        const QString aside = store.file + QStringLiteral(".unreadable-20261206T090507Z");
        QCOMPARE(readFile(aside + QStringLiteral("/keep")), QByteArray("k"));
        const std::vector<GameProfile> current{test::profile("P", "Arena", "b")};
        QVERIFY(!store.manager.saveProfiles(current));
        QVERIFY(store.manager.loadProfiles() == current);
    }
};

QTEST_GUILESS_MAIN(ProfileManagerTest)
#include "ProfileManagerTest.moc"
