#include "FixtureFiles.h"

#include <QTest>

using namespace thrumwise;
using test::app;
using test::manifest;

class LinuxAppDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entriesComeBeforeGamesThenAllSortByName() {
        test::LinuxDesktop desktop;
        QVERIFY(test::writeFiles(
            desktop.root,
            {{desktop.applications + u"dota.desktop"_s,
              app("Name=Dota\nStartupWMClass=steam_app_570")},
             {desktop.system + u"zeta.desktop"_s, app("Name=zeta")},
             {desktop.system + u"alpha.desktop"_s, app("Name=Alpha")},
             {desktop.steamApps + u"appmanifest_570.acf"_s, manifest("570", "Dota 2")},
             {desktop.steamApps + u"appmanifest_80.acf"_s, manifest("80", "beta")}}));
        QCOMPARE(test::describe(desktop.discovery.scanInstalledApps(), desktop.root),
                 u"alpha | Alpha | %1alpha.desktop; steam_app_80 | beta | %2appmanifest_80.acf; "
                 "steam_app_570 | Dota | %3dota.desktop; zeta | zeta | %1zeta.desktop"_s.arg(
                     desktop.system, desktop.steamApps, desktop.applications));
        // Each scan reads the folders again.
        QVERIFY(QFile::remove(desktop.root + u'/' + desktop.system + u"zeta.desktop"_s));
        QCOMPARE(desktop.discovery.scanInstalledApps().size(), std::size_t{3});
    }

    void aPickedFileIsReadByItsKind() {
        test::LinuxDesktop desktop;
        const QByteArray id = "<plist><dict><key>CFBundleIdentifier</key><string>";
        QVERIFY(test::writeFiles(
            desktop.root,
            {{u"My.apple.app/Contents/Info.plist"_s, id + "com.apple.my</string></dict></plist>"},
             {u"Blank.app/Contents/Info.plist"_s, id + " </string></dict></plist>"},
             {desktop.applications + u"games/arena.desktop"_s, app("Name=Arena\nNoDisplay=true")},
             {desktop.steamApps + u"appmanifest_570.acf"_s, manifest("570", "Dota 2")},
             {u"notes.txt"_s, app("Name=Notes")}}));
        QStringList picked;
        for (const QString& path :
             {u"My.apple.app"_s, desktop.applications + u"games/arena.desktop"_s,
              desktop.steamApps + u"appmanifest_570.acf"_s, u"Blank.app"_s, u"notes.txt"_s}) {
            picked.append(test::describe(
                desktop.discovery.readPickedApp(desktop.root + u'/' + path), desktop.root));
        }
        QCOMPARE(
            picked.join(u"; "_s),
            u"com.apple.my | My.apple | My.apple.app; games-arena | Arena | %1games/arena.desktop; "
            "steam_app_570 | Dota 2 | %2appmanifest_570.acf; ; "_s.arg(desktop.applications,
                                                                       desktop.steamApps));
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
