#include "FixtureFiles.h"
#include "discovery/AppIconLocator.h"

#include <QTest>

using namespace thrumwise;

namespace {

struct Desktop : test::LinuxDesktop {
    AppIconLocator icons() const { return discovery.scan().icons; }

    static bool entry(const QString& path, const QByteArray& keys) {
        return test::writeFile(path, test::applicationEntry("Name=App\n" + keys));
    }
};

}  // namespace

class AppIconLocatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void iconsAreFoundByTheListedIdentifier() {
        Desktop desktop;
        QVERIFY(desktop.entry(desktop.applications + QStringLiteral("arena.desktop"),
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

        const AppIconLocator icons = desktop.icons();
        QCOMPARE(icons.iconFor(QStringLiteral("Arena")), QStringLiteral("arena-home"));
        QCOMPARE(icons.iconFor(QStringLiteral("tools-editor")),
                 QStringLiteral("/opt/editor/icon.png"));
        QCOMPARE(icons.iconFor(QStringLiteral("plain")), QString());
        QCOMPARE(icons.iconFor(QStringLiteral("hidden")), QString());
        QCOMPARE(icons.iconFor(QStringLiteral("arena-system")), QString());
        QCOMPARE(icons.iconFor(QStringLiteral("steam_app_570")), QStringLiteral("dota-custom"));
        QCOMPARE(icons.iconFor(QStringLiteral("steam_app_220")), QStringLiteral("steam_icon_220"));
        for (const char* notSteam :
             {"steam_app_", "steam_app_22x", "xsteam_app_22", "steam_app_\u0663"}) {
            QCOMPARE(icons.iconFor(QString::fromUtf8(notSteam)), QString());
        }
    }

    // What one scan found stays as it was; the next scan sees the changes.
    void eachScanReadsTheIconsAgain() {
        Desktop desktop;
        const QString arena = desktop.applications + QStringLiteral("arena.desktop");
        QVERIFY(desktop.entry(arena, "Icon=old"));
        const AppIconLocator before = desktop.icons();
        QVERIFY(desktop.entry(arena, "Icon=new"));
        QCOMPARE(before.iconFor(QStringLiteral("arena")), QStringLiteral("old"));
        QCOMPARE(desktop.icons().iconFor(QStringLiteral("arena")), QStringLiteral("new"));
        QCOMPARE(AppIconLocator().iconFor(QStringLiteral("arena")), QString());
    }
};

QTEST_GUILESS_MAIN(AppIconLocatorTest)
#include "AppIconLocatorTest.moc"
