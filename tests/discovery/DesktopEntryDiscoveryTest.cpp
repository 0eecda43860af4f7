#include "FixtureFiles.h"

class DesktopEntryDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The first readable entry for an id wins, also one that does not show. A picked entry's id is
    // its path below an applications folder, else its file name.
    void theFirstEntryForAnIdWinsAndOnlyShownApplicationsAreListed() {
        test::Desktop desktop;
        QVERIFY(desktop.write());
        QStringList found;
        for (const auto& entry : desktop.desktopEntries.scan()) {
            found.append(test::describe({entry.app}) + u" | "_s + entry.icon);
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
