#include "FixtureFiles.h"
#include "discovery/SteamGameDiscovery.h"

#include <QTest>

using namespace thrumwise;
using test::manifest;

class SteamGameDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyLibraryIsSearchedOnce() {
        QTemporaryDir root;
        const QString home = root.filePath(QStringLiteral("home"));
        const QString library = home + QStringLiteral("/.local/share/Steam/steamapps/");
        const QString extra = root.filePath(QStringLiteral("Extra"));
        const QString old = root.filePath(QStringLiteral("Old"));
        const QString notLibrary = root.filePath(QStringLiteral("NotALibrary"));
        QVERIFY(test::writeFile(library + QStringLiteral("appmanifest_570.acf"),
                                manifest("570", "Dota \\\"2\\\"")));
        QVERIFY(test::writeFile(library + QStringLiteral("appmanifest_10.acf"),
                                manifest("10", "Counter-Strike")));
        QVERIFY(test::writeFile(library + QStringLiteral("appmanifest_20.acf"),
                                "\"AppState\" { \"appid\" \"20\" }"));
        QVERIFY(
            test::writeFile(library + QStringLiteral("appmanifest_21.acf"), manifest("21", " ")));
        QVERIFY(test::writeFile(library + QStringLiteral("appmanifest_30.acf"),
                                manifest("30", "Cut").chopped(3)));
        QVERIFY(test::writeFile(library + QStringLiteral("appmanifest_x.acf"), manifest("1", "X")));
        QVERIFY(test::writeFile(library + QStringLiteral("appmanifest_.acf"), manifest("1", "X")));
        QVERIFY(test::writeFile(library + QStringLiteral("appmanifest_40.acf.tmp"),
                                manifest("40", "Tmp")));
        QVERIFY(test::writeFile(extra + QStringLiteral("/steamapps/appmanifest_99.acf"),
                                manifest("99", "Extra Game")));
        QVERIFY(test::writeFile(old + QStringLiteral("/steamapps/appmanifest_77.acf"),
                                manifest("77", "Old Game")));
        QVERIFY(test::writeFile(notLibrary + QStringLiteral("/steamapps/appmanifest_66.acf"),
                                manifest("66", "Not Listed")));
        // The current form lists the Steam folder itself; the older form numbers plain paths.
        QVERIFY(test::writeFile(
            library + QStringLiteral("libraryfolders.vdf"),
            "\"libraryfolders\"\n{\n\t\"contentstatsid\"\t\"" + notLibrary.toUtf8() +
                "\"\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + home.toUtf8() +
                "/.local/share/Steam\"\n\t}\n\t\"1\" { \"label\" \"\" \"path\" \"" +
                extra.toUtf8() + "\" }\n\t\"2\"\t\"" + old.toUtf8() +
                "\"\n\t\"3\" { \"path\" \"/nonexistent\" }\n}\n"));
        QVERIFY(QDir().mkpath(home + QStringLiteral("/.steam")));
        QVERIFY(QFile::link(home + QStringLiteral("/.local/share/Steam"),
                            home + QStringLiteral("/.steam/steam")));

        const SteamGameDiscovery discovery(SteamGameDiscovery::standardRoots(home),
                                           BoundedFileSystem());
        QCOMPARE(
            test::describe(discovery.scan()),
            (QStringList{
                QStringLiteral("steam_app_10 | Counter-Strike | %1appmanifest_10.acf").arg(library),
                QStringLiteral("steam_app_570 | Dota \"2\" | %1appmanifest_570.acf").arg(library),
                QStringLiteral("steam_app_99 | Extra Game | %1/steamapps/appmanifest_99.acf")
                    .arg(extra),
                QStringLiteral("steam_app_77 | Old Game | %1/steamapps/appmanifest_77.acf")
                    .arg(old),
            }));
        QCOMPARE(
            test::describe(
                discovery.readManifest(old + QStringLiteral("/steamapps/appmanifest_77.acf"))),
            QStringList(QStringLiteral("steam_app_77 | Old Game | %1/steamapps/appmanifest_77.acf")
                            .arg(old)));
        QCOMPARE(discovery.readManifest(library + QStringLiteral("appmanifest_x.acf")).has_value(),
                 false);
        QCOMPARE(discovery.readManifest(library + QStringLiteral("libraryfolders.vdf")).has_value(),
                 false);
    }
};

QTEST_GUILESS_MAIN(SteamGameDiscoveryTest)
#include "SteamGameDiscoveryTest.moc"
