#include "FixtureFiles.h"

class SteamGameDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each library once, however often it is listed or linked; only manifests named by a
    // number with a name in them.
    void everyLibraryIsSearchedOnce() {
        test::Desktop desktop;
        QVERIFY(desktop.write());
        QCOMPARE(test::describe(desktop.steamGames.scan(), desktop.root),
                 u"steam_app_10 | Counter-Strike \"GO\" | %1appmanifest_10.acf; "
                 "steam_app_570 | Dota 2 | %1appmanifest_570.acf; "
                 "steam_app_99 | Extra Game | Extra/steamapps/appmanifest_99.acf; "
                 "steam_app_77 | Old Game | Old/steamapps/appmanifest_77.acf"_s.arg(desktop.steam));
        QStringList picked;
        for (const QString& path :
             {u"Old/steamapps/appmanifest_77.acf"_s, desktop.steam + u"appmanifest_x.acf"_s,
              desktop.steam + u"libraryfolders.vdf"_s}) {
            picked.append(test::describe(
                desktop.steamGames.readManifest(desktop.root + u'/' + path), desktop.root));
        }
        QCOMPARE(picked.join(u"; "_s),
                 u"steam_app_77 | Old Game | Old/steamapps/appmanifest_77.acf; ; "_s);
    }
};

QTEST_GUILESS_MAIN(SteamGameDiscoveryTest)
#include "SteamGameDiscoveryTest.moc"
