#include "FixtureFiles.h"

#include <QTest>

using namespace thrumwise;
using test::applicationEntry;
using Desktop = test::LinuxDesktop;
using test::manifest;

class LinuxAppDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entriesComeBeforeGamesThenAllSortByName() {
        Desktop desktop;
        QVERIFY(
            test::writeFile(desktop.applications + QStringLiteral("dota.desktop"),
                            applicationEntry("Name=Dota Launcher\nStartupWMClass=steam_app_570")));
        QVERIFY(test::writeFile(desktop.system + QStringLiteral("zeta.desktop"),
                                applicationEntry("Name=zeta")));
        QVERIFY(test::writeFile(desktop.system + QStringLiteral("alpha.desktop"),
                                applicationEntry("Name=Alpha")));
        QVERIFY(test::writeFile(desktop.steamApps + QStringLiteral("appmanifest_570.acf"),
                                manifest("570", "Dota 2")));
        QVERIFY(test::writeFile(desktop.steamApps + QStringLiteral("appmanifest_80.acf"),
                                manifest("80", "beta")));

        QCOMPARE(
            test::describe(desktop.discovery.scanInstalledApps()),
            (QStringList{
                QStringLiteral("alpha | Alpha | %1alpha.desktop").arg(desktop.system),
                QStringLiteral("steam_app_80 | beta | %1appmanifest_80.acf").arg(desktop.steamApps),
                QStringLiteral("steam_app_570 | Dota Launcher | %1dota.desktop")
                    .arg(desktop.applications),
                QStringLiteral("zeta | zeta | %1zeta.desktop").arg(desktop.system),
            }));
        QVERIFY(QFile::remove(desktop.system + QStringLiteral("zeta.desktop")));
        QCOMPARE(desktop.discovery.scanInstalledApps().size(), std::size_t{3});
    }

    void aPickedFileIsReadByItsKind() {
        Desktop desktop;
        const QString bundle = desktop.root.filePath(QStringLiteral("My.apple.app"));
        const QString blankBundle = desktop.root.filePath(QStringLiteral("Blank.app"));
        const QString entry = desktop.applications + QStringLiteral("games/arena.desktop");
        const QString game = desktop.steamApps + QStringLiteral("appmanifest_570.acf");
        const QString other = desktop.root.filePath(QStringLiteral("notes.txt"));
        QVERIFY(test::writeFile(bundle + QStringLiteral("/Contents/Info.plist"),
                                "<plist><dict><key>CFBundleIdentifier</key><string>com.apple.my"
                                "</string></dict></plist>"));
        QVERIFY(test::writeFile(blankBundle + QStringLiteral("/Contents/Info.plist"),
                                "<plist><dict><key>CFBundleIdentifier</key><string> </string>"
                                "</dict></plist>"));
        QVERIFY(test::writeFile(entry, applicationEntry("Name=Arena\nNoDisplay=true")));
        QVERIFY(test::writeFile(game, manifest("570", "Dota 2")));
        QVERIFY(test::writeFile(other, applicationEntry("Name=Notes")));

        QCOMPARE(test::describe(desktop.discovery.readPickedApp(bundle)),
                 QStringList(QStringLiteral("com.apple.my | My.apple | ") + bundle));
        QCOMPARE(test::describe(desktop.discovery.readPickedApp(entry)),
                 QStringList(QStringLiteral("games-arena | Arena | ") + entry));
        QCOMPARE(test::describe(desktop.discovery.readPickedApp(game)),
                 QStringList(QStringLiteral("steam_app_570 | Dota 2 | ") + game));
        QCOMPARE(desktop.discovery.readPickedApp(blankBundle).has_value(), false);
        QCOMPARE(desktop.discovery.readPickedApp(other).has_value(), false);
    }

    void dataFoldersComeFromTheEnvironment() {
        QProcessEnvironment environment;
        auto roots = XdgDataRoots::fromEnvironment(environment, QStringLiteral("/home/u"));
        QCOMPARE(roots.inPrecedenceOrder(),
                 (QStringList{QStringLiteral("/home/u/.local/share"),
                              QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")}));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("/data/home/"));
        environment.insert(QStringLiteral("XDG_DATA_DIRS"),
                           QStringLiteral("relative/share:/opt/share/::/usr/share/"));
        roots = XdgDataRoots::fromEnvironment(environment, QStringLiteral("/home/u"));
        QCOMPARE(roots.inPrecedenceOrder(),
                 (QStringList{QStringLiteral("/data/home"), QStringLiteral("/opt/share"),
                              QStringLiteral("/usr/share")}));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("relative"));
        QCOMPARE(XdgDataRoots::fromEnvironment(environment, QStringLiteral("/home/u")).dataHome,
                 QStringLiteral("/home/u/.local/share"));
    }
};

QTEST_GUILESS_MAIN(LinuxAppDiscoveryTest)
#include "LinuxAppDiscoveryTest.moc"
