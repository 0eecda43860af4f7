#include "FixtureFiles.h"
#include "discovery/BundleDiscovery.h"

#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;

namespace {

QByteArray infoPlist(const QByteArray& members) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + members +
           "</dict></plist>\n";
}

QByteArray identified(const QByteArray& identifier, const QByteArray& name) {
    return infoPlist("<key>CFBundleIdentifier</key><string>" + identifier +
                     "</string><key>CFBundleName</key><string>" + name + "</string>");
}

// A machine under a temporary folder: its three application folders and a home.
struct Machine {
    QTemporaryDir root;
    QString applications = root.filePath(QStringLiteral("Applications"));
    QString system = root.filePath(QStringLiteral("System/Applications"));
    QString home = root.filePath(QStringLiteral("home"));
    QString steam = home + QStringLiteral("/Library/Application Support/Steam");
    BundleDiscovery discovery{
        {applications, system, home + QStringLiteral("/Applications")}, home, BoundedFileSystem()};

    bool bundle(const QString& path, const QByteArray& info) const {
        return test::writeFile(path + QStringLiteral("/Contents/Info.plist"), info);
    }
};

}  // namespace

class BundleDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aBundleGivesItsIdentifierAndName_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArray>("info");
        QTest::addColumn<QString>("identifier");
        QTest::addColumn<QString>("name");
        const QByteArray id = "<key>CFBundleIdentifier</key><string>com.example.a</string>";
        const QString exampleA = QStringLiteral("com.example.a");
        QTest::newRow("display name first")
            << QStringLiteral("A.app")
            << infoPlist(id +
                         "<key>CFBundleName</key><string>Short</string>"
                         "<key>CFBundleDisplayName</key><string>Display</string>")
            << exampleA << QStringLiteral("Display");
        QTest::newRow("bundle name when the display name is no string")
            << QStringLiteral("A.app")
            << infoPlist(id +
                         "<key>CFBundleDisplayName</key><integer>3</integer>"
                         "<key>CFBundleName</key><string>Short</string>")
            << exampleA << QStringLiteral("Short");
        QTest::newRow("folder name without its trailing .app")
            << QStringLiteral("My.apple.app") << infoPlist(id + "<key>CFBundleName</key><array/>")
            << exampleA << QStringLiteral("My.apple");
        QTest::newRow("folder name given with a trailing slash")
            << QStringLiteral("Tool.app/") << infoPlist(id) << exampleA << QStringLiteral("Tool");
        QTest::newRow("folder name without .app")
            << QStringLiteral("Tool") << infoPlist(id) << exampleA << QStringLiteral("Tool");
        QTest::newRow("empty identifier kept")
            << QStringLiteral("A.app") << identified("", "A") << QString() << QStringLiteral("A");
        QTest::newRow("no identifier")
            << QStringLiteral("A.app") << infoPlist("<key>CFBundleName</key><string>A</string>")
            << QStringLiteral("-") << QString();
        QTest::newRow("identifier no string")
            << QStringLiteral("A.app")
            << infoPlist("<key>CFBundleIdentifier</key><integer>1</integer>") << QStringLiteral("-")
            << QString();
        QTest::newRow("no dictionary")
            << QStringLiteral("A.app") << QByteArray("<plist><array/></plist>")
            << QStringLiteral("-") << QString();
        QTest::newRow("malformed") << QStringLiteral("A.app") << identified("a", "A").chopped(12)
                                   << QStringLiteral("-") << QString();
    }

    void aBundleGivesItsIdentifierAndName() {
        QFETCH(QString, folder);
        QFETCH(QByteArray, info);
        QFETCH(QString, identifier);
        QFETCH(QString, name);
        Machine machine;
        const QString path = machine.root.filePath(folder);
        QVERIFY(machine.bundle(path, info));
        const auto app = AppBundleReader(BoundedFileSystem()).readAppBundle(path);
        if (identifier == u"-") {
            QCOMPARE(app.has_value(), false);
        } else {
            QCOMPARE(test::describe(app), test::describe(InstalledApp{identifier, name, path}));
        }
    }

    void aPickWithoutIdentifierYieldsNothing() {
        Machine machine;
        for (const QByteArray& identifier : {QByteArray(), QByteArray(" \t")}) {
            const QString path = machine.root.filePath(QStringLiteral("Blank.app"));
            QVERIFY(machine.bundle(path, identified(identifier, "Blank")));
            QCOMPARE(machine.discovery.readPickedApp(path).has_value(), false);
        }
        QCOMPARE(machine.discovery.readPickedApp(machine.root.filePath(QStringLiteral("None.app")))
                     .has_value(),
                 false);
    }

    void theScanListsEveryFolderAndLibraryOnceSortedByName() {
        Machine machine;
        const QString homeApps = machine.home + QStringLiteral("/Applications");
        const QString library = machine.steam + QStringLiteral("/steamapps");
        const QString extra = machine.root.filePath(QStringLiteral("Extra Library"));
        QVERIFY(machine.bundle(machine.applications + QStringLiteral("/Dup.app"),
                               identified("com.dup", "Dup")));
        QVERIFY(machine.bundle(machine.applications + QStringLiteral("/Alpha.app"),
                               identified("a.alpha", "Alpha")));
        QVERIFY(machine.bundle(machine.applications + QStringLiteral("/Utilities/Nested.app"),
                               identified("n.nested", "Nested")));
        QVERIFY(machine.bundle(machine.applications + QStringLiteral("/Upper.APP"),
                               identified("u.upper", "Upper")));
        QVERIFY(QDir().mkpath(machine.applications + QStringLiteral("/Empty.app/Contents")));
        QVERIFY(machine.bundle(machine.system + QStringLiteral("/Dup.app"),
                               identified("com.dup", "Dup System")));
        QVERIFY(
            machine.bundle(homeApps + QStringLiteral("/zeta.app"), identified("z.zeta", "zeta")));
        QVERIFY(
            machine.bundle(homeApps + QStringLiteral("/beta.app"), identified("b.beta", "beta")));
        QVERIFY(machine.bundle(homeApps + QStringLiteral("/Dup.app"),
                               identified("com.dup", "Dup Home")));
        QVERIFY(
            machine.bundle(homeApps + QStringLiteral("/Twin1.app"), identified("t.one", "Twin")));
        QVERIFY(
            machine.bundle(homeApps + QStringLiteral("/Twin2.app"), identified("t.two", "Twin")));
        QVERIFY(machine.bundle(library + QStringLiteral("/common/Game A/Game A.app"),
                               identified("g.a", "Game A")));
        QVERIFY(machine.bundle(library + QStringLiteral("/common/Game A/Dup.app"),
                               identified("com.dup", "Dup Steam")));
        QVERIFY(machine.bundle(library + QStringLiteral("/common/Direct.app"),
                               identified("g.direct", "Direct")));
        QVERIFY(machine.bundle(library + QStringLiteral("/common/Game B/Deeper/Inner.app"),
                               identified("g.inner", "Inner")));
        QVERIFY(test::writeFile(library + QStringLiteral("/common/notes.app"), "not a folder"));
        QVERIFY(machine.bundle(extra + QStringLiteral("/steamapps/common/Game C/Game C.app"),
                               identified("g.c", "Game C")));
        // The default Steam folder again, another library written with escaped backslashes as
        // on Windows, and a library that does not exist.
        QString escapedExtra = extra;
        escapedExtra.replace(QLatin1Char('/'), QStringLiteral("\\\\"));
        QVERIFY(test::writeFile(library + QStringLiteral("/libraryfolders.vdf"),
                                "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" +
                                    machine.steam.toUtf8() + "\"\n\t}\n\t\"1\" { \"path\"\n\"" +
                                    escapedExtra.toUtf8() +
                                    "\" }\n\t\"2\" { \"path\" \"/nonexistent\" }\n}\n"));

        const QString gameA = library + QStringLiteral("/common/Game A/Game A.app");
        const QString gameC = extra + QStringLiteral("/steamapps/common/Game C/Game C.app");
        QCOMPARE(test::describe(machine.discovery.scanSteamLibraries()),
                 test::describe({{QStringLiteral("com.dup"), QStringLiteral("Dup Steam"),
                                  library + QStringLiteral("/common/Game A/Dup.app")},
                                 {QStringLiteral("g.a"), QStringLiteral("Game A"), gameA},
                                 {QStringLiteral("g.c"), QStringLiteral("Game C"), gameC}}));
        QCOMPARE(test::describe(machine.discovery.scanInstalledApps()),
                 test::describe({{QStringLiteral("a.alpha"), QStringLiteral("Alpha"),
                                  machine.applications + QStringLiteral("/Alpha.app")},
                                 {QStringLiteral("b.beta"), QStringLiteral("beta"),
                                  homeApps + QStringLiteral("/beta.app")},
                                 {QStringLiteral("com.dup"), QStringLiteral("Dup"),
                                  machine.applications + QStringLiteral("/Dup.app")},
                                 {QStringLiteral("g.a"), QStringLiteral("Game A"), gameA},
                                 {QStringLiteral("g.c"), QStringLiteral("Game C"), gameC},
                                 {QStringLiteral("t.one"), QStringLiteral("Twin"),
                                  homeApps + QStringLiteral("/Twin1.app")},
                                 {QStringLiteral("t.two"), QStringLiteral("Twin"),
                                  homeApps + QStringLiteral("/Twin2.app")},
                                 {QStringLiteral("z.zeta"), QStringLiteral("zeta"),
                                  homeApps + QStringLiteral("/zeta.app")}}));
    }

    void withoutAReadableLibraryFileTheDefaultLibraryIsStillSearched() {
        Machine machine;
        const QString game = machine.steam + QStringLiteral("/steamapps/common/Game A/Game A.app");
        const QString extra = machine.root.filePath(QStringLiteral("Extra"));
        QVERIFY(machine.bundle(game, identified("g.a", "Game A")));
        QVERIFY(machine.bundle(extra + QStringLiteral("/steamapps/common/Game C/Game C.app"),
                               identified("g.c", "Game C")));
        // Not UTF-8, so not read at all, although its path is plain.
        QVERIFY(test::writeFile(machine.steam + QStringLiteral("/steamapps/libraryfolders.vdf"),
                                "\"label\" \"\xff\" \"path\" \"" + extra.toUtf8() + '"'));
        QVERIFY(
            machine.bundle(machine.system + QStringLiteral("/Tool.app"), identified("t", "Tool")));
        QCOMPARE(test::describe(machine.discovery.scanInstalledApps()),
                 test::describe({{QStringLiteral("g.a"), QStringLiteral("Game A"), game},
                                 {QStringLiteral("t"), QStringLiteral("Tool"),
                                  machine.system + QStringLiteral("/Tool.app")}}));
    }
};

QTEST_GUILESS_MAIN(BundleDiscoveryTest)
#include "BundleDiscoveryTest.moc"
