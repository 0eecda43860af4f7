#include "model/ProfileManager.h"
#include "support/LogRecorder.h"
#include "support/SampleProfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

class ProfileManagerTest : public QObject {
    Q_OBJECT

    QTemporaryDir root_;
    QString folder_;
    test::LogRecorder log_;
    std::unique_ptr<ProfileManager> store_;

    QString filePath() const { return folder_ + QStringLiteral("/profiles.json"); }

    QStringList folderEntries() const {
        return QDir(folder_).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                       QDir::Name);
    }

private Q_SLOTS:
    void init() {
        QVERIFY(root_.isValid());
        folder_ = root_.path() + QStringLiteral("/nested/Thrumwise");
        QDir(root_.path()).removeRecursively();
        QDir().mkpath(root_.path());
        log_.clear();
        store_ = std::make_unique<ProfileManager>(folder_, log_.logger(), [] {
            return QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7), Qt::UTC);
        });
    }

    void firstRunCreatesTheFolderAndLogsNothing() {
        QVERIFY(store_->loadProfiles().empty());
        QVERIFY(QDir(folder_).exists());
        QVERIFY(log_.lines().empty());
        QCOMPARE(store_->profilesFilePath(), filePath());
    }

    void loadLogsTheCountWithThePluralAlways() {
        QDir().mkpath(folder_);
        writeFile(filePath(), "[]");
        QVERIFY(store_->loadProfiles().empty());
        store_->saveProfiles({test::profile("P", "Arena", "com.example.arena")});
        QCOMPARE(store_->loadProfiles().size(), std::size_t{1});
        QCOMPARE(log_.lines(), (std::vector<std::string>{"[ProfileManager] Loaded 0 profiles",
                                                         "[ProfileManager] Saved 1 profiles",
                                                         "[ProfileManager] Loaded 1 profiles"}));
    }

    void savedProfilesLoadBackEqualAndInOrder() {
        const auto profiles = test::manyProfiles(3, 4);
        store_->saveProfiles(profiles);
        QVERIFY(store_->loadProfiles() == profiles);
        QVERIFY(readFile(filePath()).startsWith("[\n  {\n"));
    }

    void savingAnEmptyListWritesAnEmptyArray() {
        store_->saveProfiles({});
        QCOMPARE(readFile(filePath()), QByteArray("[]"));
        QCOMPARE(log_.lines(), std::vector<std::string>{"[ProfileManager] Saved 0 profiles"});
        QCOMPARE(folderEntries(), QStringList{QStringLiteral("profiles.json")});
    }

    void unreadableFileIsMovedAsideAndTheNextSaveStartsFresh_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("reason");
        QTest::newRow("zero bytes") << QByteArray() << QStringLiteral("not valid JSON");
        QTest::newRow("not JSON") << QByteArray("profiles!") << QStringLiteral("not valid JSON");
        QTest::newRow("mapping without cooldown")
            << QByteArray(R"([{"id":"P","displayName":"d","bundleId":"b","isEnabled":true,
                "blockPressmint":false,"createdAt":"2026-01-01T00:00:00Z",
                "updatedAt":"2026-01-01T00:00:00Z","mappings":[{"id":"M","triggerType":"mouse",
                "mouseButton":"left","hapticPattern":"wave","requiredModifiers":[],
                "triggerOnHold":false,"holdRepeatIntervalMs":0}]}])")
            << QStringLiteral("key \"cooldownMs\" is missing");
    }

    void unreadableFileIsMovedAsideAndTheNextSaveStartsFresh() {
        QFETCH(QByteArray, content);
        QFETCH(QString, reason);
        QDir().mkpath(folder_);
        writeFile(filePath(), content);

        QVERIFY(store_->loadProfiles().empty());

        const auto lines = log_.lines();
        QCOMPARE(lines.size(), std::size_t{2});
        QVERIFY(lines[0].starts_with("[ProfileManager] Failed to load profiles: "));
        QVERIFY2(lines[0].find(reason.toStdString()) != std::string::npos, lines[0].c_str());
        const std::string movedPrefix = "[ProfileManager] Moved unreadable profiles file to ";
        QVERIFY(lines[1].starts_with(movedPrefix));
        const QString movedTo = QString::fromStdString(lines[1].substr(movedPrefix.size()));
        QVERIFY(movedTo.startsWith(filePath() + QStringLiteral(".unreadable-")));
        QCOMPARE(readFile(movedTo), content);
        QVERIFY(!QFile::exists(filePath()));

        const std::vector<GameProfile> current{test::profile("P", "Arena", "b")};
        store_->saveProfiles(current);
        QVERIFY(store_->loadProfiles() == current);
        QCOMPARE(readFile(movedTo), content);
    }

    void movingAsideNeverReplacesAnEarlierCopy() {
        QDir().mkpath(folder_);
        for (const QByteArray& content :
             {QByteArray("first"), QByteArray("second"), QByteArray("third")}) {
            writeFile(filePath(), content);
            store_->loadProfiles();
        }
        const QString stamped = QStringLiteral("profiles.json.unreadable-20261206T090507Z");
        QCOMPARE(folderEntries(), (QStringList{stamped, stamped + QStringLiteral("-2"),
                                               stamped + QStringLiteral("-3")}));
        QCOMPARE(readFile(QDir(folder_).filePath(stamped)), QByteArray("first"));
        QCOMPARE(readFile(QDir(folder_).filePath(stamped + QStringLiteral("-3"))),
                 QByteArray("third"));
    }

    void failedSaveLeavesThePreviousFileWhole() {
        // A directory in the file's place makes the final rename fail, whoever runs the test.
        QDir().mkpath(filePath());
        writeFile(filePath() + QStringLiteral("/keep"), "kept");

        store_->saveProfiles({test::profile("P", "Arena", "b")});

        QCOMPARE(log_.lines().size(), std::size_t{1});
        QVERIFY(log_.containsPrefix("[ProfileManager] Failed to save profiles: "));
        QCOMPARE(readFile(filePath() + QStringLiteral("/keep")), QByteArray("kept"));
        QCOMPARE(folderEntries(), QStringList{QStringLiteral("profiles.json")});
    }

    void encodingFailureLeavesTheFileUntouched() {
        const std::vector<GameProfile> old{test::profile("OLD", "Old", "b")};
        store_->saveProfiles(old);
        store_->saveProfiles({test::profile("P", std::string("\xc3\x28"), "b")});
        QVERIFY(log_.containsPrefix("[ProfileManager] Failed to save profiles: "));
        QVERIFY(store_->loadProfiles() == old);
    }
};

QTEST_GUILESS_MAIN(ProfileManagerTest)
#include "ProfileManagerTest.moc"
