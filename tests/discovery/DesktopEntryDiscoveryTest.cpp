#include "FixtureFiles.h"
#include "discovery/DesktopEntryDiscovery.h"

#include <sys/stat.h>

#include <QTemporaryDir>
#include <QTest>

using namespace thrumwise;
using test::applicationEntry;

namespace {

// "identifier | name | path | icon" per application found.
QStringList describe(const std::vector<DesktopEntryDiscovery::Found>& found) {
    QStringList lines;
    for (const auto& entry : found) {
        lines.append(test::describe(entry.app).constFirst() + QStringLiteral(" | ") + entry.icon);
    }
    return lines;
}

// A data home and two data folders under a temporary folder; subfolders are entered two deep.
struct DataFolders {
    QTemporaryDir root;
    QString home = root.filePath(QStringLiteral("home/.local/share/applications/"));
    QString local = root.filePath(QStringLiteral("usr/local/share/applications/"));
    QString system = root.filePath(QStringLiteral("usr/share/applications/"));
    DesktopEntryDiscovery discovery{{root.filePath(QStringLiteral("home/.local/share")),
                                     {root.filePath(QStringLiteral("usr/local/share")),
                                      root.filePath(QStringLiteral("usr/share"))}},
                                    "de_DE.UTF-8",
                                    BoundedFileSystem(ScanLimits{.maxFolderDepth = 2})};
};

}  // namespace

class DesktopEntryDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theFirstEntryForAnIdWinsAndOnlyShownApplicationsAreListed() {
        DataFolders folders;
        const QString ran = folders.root.filePath(QStringLiteral("ran"));
        const QByteArray run = "touch " + ran.toUtf8();
        QVERIFY(test::writeFile(folders.home + QStringLiteral("hidden.desktop"),
                                "[Desktop Entry]\nHidden=true\n"));
        QVERIFY(test::writeFile(folders.home + QStringLiteral("kde4-konsole.desktop"),
                                applicationEntry("Name=Konsole Home\nIcon=utilities-terminal")));
        QVERIFY(
            test::writeFile(folders.home + QStringLiteral("org.example.Editor.desktop"),
                            applicationEntry("Name=Editor\nName[de]=Bearbeiter\nIcon=/opt/e.png\n"
                                             "Exec=" +
                                             run + "\nTryExec=" + run)));
        QVERIFY(test::writeFile(folders.home + QStringLiteral("org.example.Viewer.desktop"),
                                QByteArray("\x00\x01garbage", 9)));
        QVERIFY(test::writeFile(folders.local + QStringLiteral("d1/d2/deep.desktop"),
                                applicationEntry("Name=Deep")));
        QVERIFY(test::writeFile(folders.local + QStringLiteral("d1/d2/d3/deeper.desktop"),
                                applicationEntry("Name=Deeper")));
        QVERIFY(test::writeFile(folders.local + QStringLiteral("nodisplay.desktop"),
                                applicationEntry("Name=No Display\nNoDisplay=true")));
        for (const char* masked : {"hidden", "nodisplay", "org.example.Editor", "kde4/konsole"}) {
            QVERIFY(
                test::writeFile(folders.system + QLatin1String(masked) + QStringLiteral(".desktop"),
                                applicationEntry("Name=Masked")));
        }
        QVERIFY(test::writeFile(
            folders.system + QStringLiteral("games/pinball.desktop"),
            applicationEntry("Name=Pinball\nStartupWMClass=Pinball\nIcon=pinball")));
        QVERIFY(test::writeFile(folders.system + QStringLiteral("org.example.Viewer.desktop"),
                                applicationEntry("Name=Viewer")));
        QVERIFY(
            test::writeFile(folders.system + QStringLiteral("link.desktop"),
                            "[Desktop Entry]\nType=Link\nName=Link\nURL=https://example.com\n"));
        QVERIFY(test::writeFile(folders.system + QStringLiteral("mimeinfo.cache"),
                                applicationEntry("Name=Not an entry")));
        QVERIFY(test::writeFile(folders.system + QStringLiteral("big.desktop"),
                                applicationEntry("Name=" + QByteArray(1 << 20, 'n'))));
        QCOMPARE(
            ::mkfifo(QFile::encodeName(folders.system + QStringLiteral("fifo.desktop")).constData(),
                     0600),
            0);
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"),
                            folders.system + QStringLiteral("zero.desktop")));
        QVERIFY(QFile::link(folders.system, folders.system + QStringLiteral("loop")));

        QCOMPARE(
            describe(folders.discovery.scan()),
            (QStringList{
                QStringLiteral(
                    "kde4-konsole | Konsole Home | %1kde4-konsole.desktop | utilities-terminal")
                    .arg(folders.home),
                QStringLiteral(
                    "org.example.Editor | Bearbeiter | %1org.example.Editor.desktop | /opt/e.png")
                    .arg(folders.home),
                QStringLiteral("d1-d2-deep | Deep | %1d1/d2/deep.desktop | ").arg(folders.local),
                QStringLiteral("Pinball | Pinball | %1games/pinball.desktop | pinball")
                    .arg(folders.system),
                QStringLiteral("org.example.Viewer | Viewer | %1org.example.Viewer.desktop | ")
                    .arg(folders.system),
            }));
        QVERIFY(!QFile::exists(ran));
    }

    void aPickedEntryIsNamedByItsFolder() {
        DataFolders folders;
        const QString konsole = folders.system + QStringLiteral("kde4/konsole.desktop");
        const QString elsewhere =
            folders.root.filePath(QStringLiteral("elsewhere/kde4/konsole.desktop"));
        const QString hidden = folders.home + QStringLiteral("hidden.desktop");
        const QString link = folders.local + QStringLiteral("link.desktop");
        QVERIFY(test::writeFile(konsole, applicationEntry("Name=Konsole")));
        QVERIFY(test::writeFile(elsewhere, applicationEntry("Name=Konsole")));
        QVERIFY(
            test::writeFile(hidden, applicationEntry("Name=Hidden\nHidden=true\nNoDisplay=true")));
        QVERIFY(test::writeFile(link, "[Desktop Entry]\nType=Link\nName=Link\n"));

        QCOMPARE(test::describe(folders.discovery.readPicked(konsole)),
                 test::describe(InstalledApp{QStringLiteral("kde4-konsole"),
                                             QStringLiteral("Konsole"), konsole}));
        QCOMPARE(test::describe(folders.discovery.readPicked(elsewhere)),
                 test::describe(InstalledApp{QStringLiteral("konsole"), QStringLiteral("Konsole"),
                                             elsewhere}));
        QCOMPARE(test::describe(folders.discovery.readPicked(hidden)),
                 test::describe(
                     InstalledApp{QStringLiteral("hidden"), QStringLiteral("Hidden"), hidden}));
        QCOMPARE(folders.discovery.readPicked(link).has_value(), false);
        QCOMPARE(folders.discovery.readPicked(folders.system).has_value(), false);
    }
};

QTEST_GUILESS_MAIN(DesktopEntryDiscoveryTest)
#include "DesktopEntryDiscoveryTest.moc"
