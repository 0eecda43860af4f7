#include "FixtureFiles.h"

class DesktopEntryDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // In the order of the data folders the first readable entry for an id wins, also one that
    // does not show; a subfolder adds its name to the id.
    void theFirstEntryForAnIdWinsAndOnlyShownApplicationsAreListed() {
        test::Desktop desktop;
        QVERIFY(desktop.write());
        QStringList found;
        for (const auto& entry : desktop.desktopEntries.scan()) {
            found.append(test::describe(entry.app, desktop.root) + u" | "_s + entry.icon);
        }
        QCOMPARE(found.join(u"; "_s),
                 u"steam_app_570 | Dota L | home/applications/dota.desktop | dota; "
                 "editor | Bearbeiter | home/applications/editor.desktop | /e.png; "
                 "kde4-konsole | Konsole | home/applications/kde4-konsole.desktop | terminal; "
                 "d1-d2-deep | deep | local/applications/d1/d2/deep.desktop | ; "
                 "Pin | Pinball | usr/applications/games/pinball.desktop | pinball; "
                 "Pin | Pinball 2 | usr/applications/pinball2.desktop | other; "
                 "viewer | Viewer | usr/applications/viewer.desktop | "_s);
    }

    // Named by its path below an applications folder, else by its file name; an entry that
    // does not show can still be picked, one of another type cannot.
    void aPickedEntryIsNamedByItsFolder() {
        test::Desktop desktop;
        QVERIFY(desktop.write() &&
                test::writeFiles(desktop.root, {{u"elsewhere/kde4/konsole.desktop"_s,
                                                 test::app("Name=Konsole")}}));
        QStringList picked;
        for (const char* path :
             {"usr/applications/kde4/konsole.desktop", "elsewhere/kde4/konsole.desktop",
              "local/applications/nodisplay.desktop", "usr/applications/link.desktop",
              "usr/applications"}) {
            picked.append(test::describe(
                desktop.desktopEntries.readPicked(desktop.root + u'/' + QLatin1StringView(path)),
                desktop.root));
        }
        QCOMPARE(picked.join(u"; "_s),
                 u"kde4-konsole | Masked | usr/applications/kde4/konsole.desktop; "
                 "konsole | Konsole | elsewhere/kde4/konsole.desktop; "
                 "nodisplay | No Display | local/applications/nodisplay.desktop; ; "_s);
    }
};

QTEST_GUILESS_MAIN(DesktopEntryDiscoveryTest)
#include "DesktopEntryDiscoveryTest.moc"
