#include "FixtureFiles.h"

class LinuxAppDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Entries come before games, so an entry naming a game wins; then all sort by name.
    void entriesComeBeforeGamesThenAllSortByName() {
        test::Desktop desktop;
        QVERIFY(desktop.write());
        QCOMPARE(test::describe(desktop.discovery.scanInstalledApps(), desktop.root),
                 u"editor | Bearbeiter | home/applications/editor.desktop; "
                 "steam_app_10 | Counter-Strike \"GO\" | %1appmanifest_10.acf; "
                 "d1-d2-deep | deep | local/applications/d1/d2/deep.desktop; "
                 "steam_app_570 | Dota L | home/applications/dota.desktop; "
                 "steam_app_99 | Extra Game | Extra/steamapps/appmanifest_99.acf; "
                 "kde4-konsole | Konsole | home/applications/kde4-konsole.desktop; "
                 "steam_app_77 | Old Game | Old/steamapps/appmanifest_77.acf; "
                 "Pin | Pinball | usr/applications/games/pinball.desktop; "
                 "viewer | Viewer | usr/applications/viewer.desktop"_s.arg(desktop.steam));
    }

    // A folder is a bundle, a ".desktop" file an entry, anything else a Steam manifest; a
    // blank identifier is none.
    void aPickedFileIsReadByItsKind() {
        test::Desktop desktop;
        const QByteArray id = "<plist><dict><key>CFBundleIdentifier</key><string>";
        QVERIFY(desktop.write() &&
                test::writeFiles(
                    desktop.root,
                    {{u"My.apple.app/Contents/Info.plist"_s, id + "my</string></dict></plist>"},
                     {u"Blank.app/Contents/Info.plist"_s, id + " </string></dict></plist>"},
                     {u"notes.txt"_s, test::app("Name=Notes")}}));
        QStringList picked;
        for (const QString& path :
             {u"My.apple.app"_s, u"local/applications/nodisplay.desktop"_s,
              desktop.steam + u"appmanifest_570.acf"_s, u"Blank.app"_s, u"notes.txt"_s}) {
            picked.append(test::describe(
                desktop.discovery.readPickedApp(desktop.root + u'/' + path), desktop.root));
        }
        QCOMPARE(picked.join(u"; "_s),
                 u"my | My.apple | My.apple.app; nodisplay | No Display | "
                 u"local/applications/nodisplay.desktop; "
                 "steam_app_570 | Dota 2 | %1appmanifest_570.acf; ; "_s.arg(desktop.steam));
    }

    void dataFoldersComeFromTheEnvironment() {
        QProcessEnvironment environment;
        const auto roots = [&] {
            return XdgDataRoots::fromEnvironment(environment, u"/home/u"_s).inPrecedenceOrder();
        };
        QCOMPARE(roots(),
                 QStringList({u"/home/u/.local/share"_s, u"/usr/local/share"_s, u"/usr/share"_s}));
        environment.insert(u"XDG_DATA_HOME"_s, u"/data/home/"_s);
        environment.insert(u"XDG_DATA_DIRS"_s, u"relative/share:/opt/share/::/usr/share/"_s);
        QCOMPARE(roots(), QStringList({u"/data/home"_s, u"/opt/share"_s, u"/usr/share"_s}));
        environment.insert(u"XDG_DATA_HOME"_s, u"relative"_s);
        QCOMPARE(roots().constFirst(), u"/home/u/.local/share"_s);
    }
};

QTEST_GUILESS_MAIN(LinuxAppDiscoveryTest)
#include "LinuxAppDiscoveryTest.moc"
