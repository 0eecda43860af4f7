#include "FixtureFiles.h"
#include "discovery/AppIconLocator.h"

#include <QTest>

using namespace thrumwise;
using test::app;

class AppIconLocatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // By the listed identifier, the first entry's; a Steam game's by its app id.
    void iconsAreFoundByTheListedIdentifier() {
        test::LinuxDesktop desktop;
        const QString home = desktop.applications;
        const QString system = desktop.system;
        QVERIFY(test::writeFiles(
            desktop.root,
            {{home + u"arena.desktop"_s, app("Name=A\nIcon=arena-home\nStartupWMClass=Arena")},
             {system + u"arena-system.desktop"_s, app("Name=A\nIcon=system\nStartupWMClass=Arena")},
             {system + u"tools/editor.desktop"_s, app("Name=A\nIcon=/opt/editor/icon.png")},
             {system + u"plain.desktop"_s, app("Name=A")},
             {system + u"hidden.desktop"_s, app("Name=A\nIcon=hidden\nHidden=true")},
             {system + u"dota.desktop"_s,
              app("Name=A\nIcon=dota\nStartupWMClass=steam_app_570")}}));
        const AppIconLocator icons = desktop.discovery.scan().icons;
        QStringList found;
        for (const char* identifier : {"Arena", "tools-editor", "plain", "hidden", "arena-system",
                                       "steam_app_570", "steam_app_220", "steam_app_",
                                       "steam_app_22x", "xsteam_app_22", "steam_app_\u0663"}) {
            found.append(icons.iconFor(QString::fromUtf8(identifier)));
        }
        QCOMPARE(found.join(u", "_s),
                 u"arena-home, /opt/editor/icon.png, , , , dota, steam_icon_220, , , , "_s);
    }

    // What one scan found stays as it was; the next scan sees the changes.
    void eachScanReadsTheIconsAgain() {
        test::LinuxDesktop desktop;
        const QString arena = desktop.applications + u"arena.desktop"_s;
        QVERIFY(test::writeFiles(desktop.root, {{arena, app("Name=A\nIcon=old")}}));
        const AppIconLocator before = desktop.discovery.scan().icons;
        QVERIFY(test::writeFiles(desktop.root, {{arena, app("Name=A\nIcon=new")}}));
        QCOMPARE(before.iconFor(u"arena"_s), u"old"_s);
        QCOMPARE(desktop.discovery.scan().icons.iconFor(u"arena"_s), u"new"_s);
    }
};

QTEST_GUILESS_MAIN(AppIconLocatorTest)
#include "AppIconLocatorTest.moc"
