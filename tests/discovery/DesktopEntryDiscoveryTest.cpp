#include "FixtureFiles.h"

class DesktopEntryDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // In the order of the data folders the first readable entry for an id wins, also one that
    // does not show; a subfolder adds its name to the id. A picked entry is named by its path
    // below an applications folder, else by its file name; one that does not show can still be
    // picked, one of another type cannot.
    void theFirstEntryForAnIdWinsAndOnlyShownApplicationsAreListed() {
        test::Desktop desktop;
        QVERIFY(desktop.write());
        QStringList found;
        for (const auto& entry : desktop.desktopEntries.scan()) {
            found.append(test::describe(entry.app) + u" | "_s + entry.icon);
        }
        QCOMPARE(
            found.join(u"; "_s),
            u"steam_app_570 | Dota L | dota; editor | Bearbeiter | /e.png; kde4-konsole | "
            "Konsole | terminal; d1-d2-deep | deep | ; Pin | Pinball | pinball; Pin | Pinball 2 "
            "| other; viewer | Viewer | "_s);
        QCOMPARE(
            test::pick(
                desktop.root, &DesktopEntryDiscovery::readPicked, desktop.desktopEntries,
                {u"usr/applications/kde4/konsole.desktop"_s, u"elsewhere/kde4/konsole.desktop"_s,
                 u"local/applications/nodisplay.desktop"_s, u"usr/applications/link.desktop"_s,
                 u"usr/applications"_s}),
            u"kde4-konsole | Masked; konsole | Konsole; nodisplay | No Display; ; "_s);
    }
};

QTEST_GUILESS_MAIN(DesktopEntryDiscoveryTest)
#include "DesktopEntryDiscoveryTest.moc"
