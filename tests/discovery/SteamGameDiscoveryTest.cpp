#include "FixtureFiles.h"

class SteamGameDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Each library once, however often it is listed or linked; manifests need a number and a name.
    void everyLibraryIsSearchedOnce() {
        test::Desktop desktop;
        QVERIFY(desktop.write());
        QCOMPARE(test::describe(desktop.steamGames.scan()),
                 u"steam_app_10 | Counter-Strike \"GO\"; steam_app_570 | Dota 2; "
                 "steam_app_99 | Extra Game; steam_app_77 | Old Game"_s);
        QCOMPARE(test::pick(
                     desktop.root, &SteamGameDiscovery::readManifest, desktop.steamGames,
                     {u"Old/steamapps/appmanifest_77.acf"_s, desktop.steam + u"appmanifest_x.acf"_s,
                      desktop.steam + u"libraryfolders.vdf"_s}),
                 u"steam_app_77 | Old Game; ; "_s);
    }
};

QTEST_GUILESS_MAIN(SteamGameDiscoveryTest)
#include "SteamGameDiscoveryTest.moc"
