#include "FixtureFiles.h"
#include "discovery/SteamGameDiscovery.h"

#include <QTest>

using namespace thrumwise;
using test::manifest;

class SteamGameDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyLibraryIsSearchedOnce() {
        QTemporaryDir dir;
        const QString root = dir.path();
        const QString library = u"home/.local/share/Steam/steamapps/"_s;
        // The current form lists the Steam folder itself; the older form numbers plain paths.
        const QByteArray folders =
            "\"libraryfolders\"\n{\n\t\"contentstatsid\"\t\"%1/NotListed\"\n\t\"0\"\n\t{\n\t\t"
            "\"path\"\t\t\"%1/home/.local/share/Steam\"\n\t}\n\t\"1\" { \"label\" \"\" \"path\" "
            "\"%1/Extra\" }\n\t\"2\"\t\"%1/Old\"\n\t\"3\" { \"path\" \"/nonexistent\" }\n}\n";
        QVERIFY(test::writeFiles(
            root,
            {{library + u"appmanifest_570.acf"_s, manifest("570", "Dota \\\"2\\\"")},
             {library + u"appmanifest_10.acf"_s, manifest("10", "Counter-Strike")},
             {library + u"appmanifest_20.acf"_s, "\"AppState\" { \"appid\" \"20\" }"},
             {library + u"appmanifest_21.acf"_s, manifest("21", " ")},
             {library + u"appmanifest_30.acf"_s, manifest("30", "Cut").chopped(3)},
             {library + u"appmanifest_x.acf"_s, manifest("1", "X")},
             {library + u"appmanifest_.acf"_s, manifest("1", "X")},
             {library + u"appmanifest_40.acf.tmp"_s, manifest("40", "Tmp")},
             {u"Extra/steamapps/appmanifest_99.acf"_s, manifest("99", "Extra Game")},
             {u"Old/steamapps/appmanifest_77.acf"_s, manifest("77", "Old Game")},
             {u"NotListed/steamapps/appmanifest_66.acf"_s, manifest("66", "Not Listed")},
             {library + u"libraryfolders.vdf"_s, QString::fromUtf8(folders).arg(root).toUtf8()}}));
        QVERIFY(QDir().mkpath(root + u"/home/.steam"_s));
        QVERIFY(QFile::link(root + u"/home/.local/share/Steam"_s, root + u"/home/.steam/steam"_s));

        const SteamGameDiscovery discovery(SteamGameDiscovery::standardRoots(root + u"/home"_s),
                                           BoundedFileSystem());
        QCOMPARE(test::describe(discovery.scan(), root),
                 u"steam_app_10 | Counter-Strike | %1appmanifest_10.acf; "
                 "steam_app_570 | Dota \"2\" | %1appmanifest_570.acf; "
                 "steam_app_99 | Extra Game | Extra/steamapps/appmanifest_99.acf; "
                 "steam_app_77 | Old Game | Old/steamapps/appmanifest_77.acf"_s.arg(library));
        QCOMPARE(test::describe(
                     discovery.readManifest(root + u"/Old/steamapps/appmanifest_77.acf"_s), root),
                 u"steam_app_77 | Old Game | Old/steamapps/appmanifest_77.acf"_s);
        for (const QString& name : {u"appmanifest_x.acf"_s, u"libraryfolders.vdf"_s}) {
            QVERIFY(!discovery.readManifest(root + u'/' + library + name));
        }
    }
};

QTEST_GUILESS_MAIN(SteamGameDiscoveryTest)
#include "SteamGameDiscoveryTest.moc"
