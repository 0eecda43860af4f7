#include "FixtureFiles.h"

class AppIconLocatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The first entry's for an identifier; a Steam game's by its app id. A scan's icons stay put.
    void iconsAreFoundByTheListedIdentifier() {
        test::Desktop desktop;
        QVERIFY(desktop.write());
        const AppIconLocator icons = desktop.discovery.scan().icons;
        QStringList found;
        for (const char* identifier : {"Pin", "editor", "d1-d2-deep", "hidden", "nodisplay",
                                       "steam_app_570", "steam_app_220", "steam_app_",
                                       "steam_app_22x", "xsteam_app_22", "steam_app_\u0663"}) {
            found.append(icons.iconFor(QString::fromUtf8(identifier)));
        }
        QCOMPARE(found.join(u", "_s), u"pinball, /e.png, , , , dota, steam_icon_220, , , , "_s);
        QVERIFY(
            test::writeFiles(desktop.root, {{u"usr/applications/games/pinball.desktop"_s,
                                             test::app("Name=P\nStartupWMClass=Pin\nIcon=new")}}));
        QCOMPARE(icons.iconFor(u"Pin"_s), u"pinball"_s);
        QCOMPARE(desktop.discovery.scan().icons.iconFor(u"Pin"_s), u"new"_s);
    }
};

QTEST_GUILESS_MAIN(AppIconLocatorTest)
#include "AppIconLocatorTest.moc"
