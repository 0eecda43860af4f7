#include "FixtureFiles.h"

class LinuxAppDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // An entry naming a game wins over it. A picked folder is a bundle, a ".desktop" file an entry,
    // anything else a Steam manifest.
    void entriesComeBeforeGamesThenAllSortByName() {
        test::Desktop desktop;
        QVERIFY(desktop.write());
        QCOMPARE(test::describe(desktop.discovery.scanInstalledApps()),
                 u"editor | Bearbeiter; steam_app_10 | Counter-Strike \"GO\"; d1-d2-deep | deep; "
                 "steam_app_570 | Dota L; steam_app_99 | Extra Game; kde4-konsole | Konsole; "
                 "steam_app_77 | Old Game; Pin | Pinball; viewer | Viewer"_s);
        QCOMPARE(test::pick(desktop.root, &AppCatalog::readPickedApp, desktop.discovery,
                            {u"My.apple.app"_s, u"local/applications/nodisplay.desktop"_s,
                             desktop.steam + u"appmanifest_570.acf"_s, u"Blank.app"_s,
                             u"elsewhere/notes.txt"_s}),
                 u"my | My.apple; nodisplay | No Display; steam_app_570 | Dota 2; ; "_s);
    }

    void dataFoldersComeFromTheEnvironment() {
        QProcessEnvironment environment;
        const auto roots = [&] {
            return XdgDataRoots::fromEnvironment(environment, u"/home/u"_s).inPrecedenceOrder();
        };
        QCOMPARE(roots().join(u' '), u"/home/u/.local/share /usr/local/share /usr/share"_s);
        environment.insert(u"XDG_DATA_HOME"_s, u"/data/home/"_s);
        environment.insert(u"XDG_DATA_DIRS"_s, u"relative/share:/opt/share/::/usr/share/"_s);
        QCOMPARE(roots().join(u' '), u"/data/home /opt/share /usr/share"_s);
        environment.insert(u"XDG_DATA_HOME"_s, u"relative"_s);
        QCOMPARE(roots().constFirst(), u"/home/u/.local/share"_s);
    }
};

QTEST_GUILESS_MAIN(LinuxAppDiscoveryTest)
#include "LinuxAppDiscoveryTest.moc"
