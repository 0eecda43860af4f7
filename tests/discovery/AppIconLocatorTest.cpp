#include "FixtureFiles.h"
#include "discovery/AppIconLocator.h"
#include "discovery/DesktopEntryDiscovery.h"
#include "discovery/LinuxAppDiscovery.h"
#include "discovery/SteamGameDiscovery.h"

#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;

namespace {

struct Desktop {
    QTemporaryDir root;
    QString home = root.filePath(QStringLiteral("home/applications/"));
    QString system = root.filePath(QStringLiteral("system/applications/"));
    BoundedFileSystem files;
    DesktopEntryDiscovery desktopEntries{
        {root.filePath(QStringLiteral("home")), {root.filePath(QStringLiteral("system"))}},
        "C",
        files};
    SteamGameDiscovery steamGames{{}, files};
    AppBundleReader bundles{files};
    LinuxAppDiscovery discovery{desktopEntries, steamGames, bundles};
    AppIconLocator icons{desktopEntries, discovery};

    bool entry(const QString& path, const QByteArray& keys) const {
        return test::writeFile(path, "[Desktop Entry]\nType=Application\nName=App\n" + keys + '\n');
    }
};

}  // namespace

class AppIconLocatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void iconsAreFoundByTheListedIdentifier() {
        Desktop desktop;
        QVERIFY(desktop.entry(desktop.home + QStringLiteral("arena.desktop"),
                              "Icon=arena-home\nStartupWMClass=Arena"));
        QVERIFY(desktop.entry(desktop.system + QStringLiteral("arena-system.desktop"),
                              "Icon=arena-system\nStartupWMClass=Arena"));
        QVERIFY(desktop.entry(desktop.system + QStringLiteral("tools/editor.desktop"),
                              "Icon=/opt/editor/icon.png"));
        QVERIFY(desktop.entry(desktop.system + QStringLiteral("plain.desktop"), ""));
        QVERIFY(desktop.entry(desktop.system + QStringLiteral("hidden.desktop"),
                              "Icon=hidden\nHidden=true"));
        QVERIFY(desktop.entry(desktop.system + QStringLiteral("dota.desktop"),
                              "Icon=dota-custom\nStartupWMClass=steam_app_570"));

        QCOMPARE(desktop.icons.iconFor(QStringLiteral("Arena")), QStringLiteral("arena-home"));
        QCOMPARE(desktop.icons.iconFor(QStringLiteral("tools-editor")),
                 QStringLiteral("/opt/editor/icon.png"));
        QCOMPARE(desktop.icons.iconFor(QStringLiteral("plain")), QString());
        QCOMPARE(desktop.icons.iconFor(QStringLiteral("hidden")), QString());
        QCOMPARE(desktop.icons.iconFor(QStringLiteral("arena-system")), QString());
        QCOMPARE(desktop.icons.iconFor(QStringLiteral("steam_app_570")),
                 QStringLiteral("dota-custom"));
        QCOMPARE(desktop.icons.iconFor(QStringLiteral("steam_app_220")),
                 QStringLiteral("steam_icon_220"));
        for (const char* notSteam :
             {"steam_app_", "steam_app_22x", "xsteam_app_22", "steam_app_\u0663"}) {
            QCOMPARE(desktop.icons.iconFor(QString::fromUtf8(notSteam)), QString());
        }
    }

    void lookUpsAreCachedUntilTheNextScan() {
        Desktop desktop;
        const QString arena = desktop.home + QStringLiteral("arena.desktop");
        QVERIFY(desktop.entry(arena, "Icon=old"));
        QCOMPARE(desktop.icons.iconFor(QStringLiteral("arena")), QStringLiteral("old"));
        QVERIFY(desktop.entry(arena, "Icon=new"));
        QVERIFY(desktop.entry(desktop.home + QStringLiteral("added.desktop"), "Icon=added"));
        QCOMPARE(desktop.icons.iconFor(QStringLiteral("arena")), QStringLiteral("old"));
        QCOMPARE(desktop.icons.iconFor(QStringLiteral("added")), QString());

        desktop.discovery.scanInstalledApps();
        QCOMPARE(desktop.icons.iconFor(QStringLiteral("arena")), QStringLiteral("new"));
        QCOMPARE(desktop.icons.iconFor(QStringLiteral("added")), QStringLiteral("added"));
    }
};

QTEST_GUILESS_MAIN(AppIconLocatorTest)
#include "AppIconLocatorTest.moc"
