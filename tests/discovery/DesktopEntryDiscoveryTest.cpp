#include "FixtureFiles.h"
#include "discovery/DesktopEntryDiscovery.h"

#include <sys/stat.h>

#include <QTest>

using namespace thrumwise;
using test::app;

namespace {

// A data home and two data folders; subfolders are entered two deep.
struct DataFolders {
    QTemporaryDir dir;
    QString root = dir.path();
    DesktopEntryDiscovery discovery{{root + u"/home"_s, {root + u"/local"_s, root + u"/usr"_s}},
                                    "de_DE.UTF-8",
                                    BoundedFileSystem(ScanLimits{.maxFolderDepth = 2})};
};

}  // namespace

class DesktopEntryDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theFirstEntryForAnIdWinsAndOnlyShownApplicationsAreListed() {
        DataFolders folders;
        const QString ran = folders.root + u"/ran"_s;
        const QByteArray run = "touch " + ran.toUtf8();
        const QByteArray masked = app("Name=Masked");
        QVERIFY(test::writeFiles(
            folders.root,
            {{u"home/applications/hidden.desktop"_s, "[Desktop Entry]\nHidden=true\n"},
             {u"home/applications/kde4-konsole.desktop"_s, app("Name=Konsole\nIcon=terminal")},
             {u"home/applications/editor.desktop"_s,
              app("Name=Editor\nName[de]=Bearbeiter\nIcon=/e.png\nExec=" + run +
                  "\nTryExec=" + run)},
             {u"home/applications/viewer.desktop"_s, "\x00\x01garbage"_ba},
             {u"local/applications/d1/d2/deep.desktop"_s, app("Name=Deep")},
             {u"local/applications/d1/d2/d3/deeper.desktop"_s, app("Name=Deeper")},
             {u"local/applications/nodisplay.desktop"_s, app("Name=No Display\nNoDisplay=true")},
             {u"usr/applications/hidden.desktop"_s, masked},
             {u"usr/applications/nodisplay.desktop"_s, masked},
             {u"usr/applications/editor.desktop"_s, masked},
             {u"usr/applications/kde4/konsole.desktop"_s, masked},
             {u"usr/applications/games/pinball.desktop"_s, app("Name=Pinball\nStartupWMClass=Pin")},
             {u"usr/applications/viewer.desktop"_s, app("Name=Viewer")},
             {u"usr/applications/link.desktop"_s, "[Desktop Entry]\nType=Link\nName=Link\n"},
             {u"usr/applications/mimeinfo.cache"_s, app("Name=Not an entry")},
             {u"usr/applications/big.desktop"_s, app("Name=" + QByteArray(1 << 20, 'n'))}}));
        const QString system = folders.root + u"/usr/applications/"_s;
        QCOMPARE(::mkfifo(QFile::encodeName(system + u"fifo.desktop"_s).constData(), 0600), 0);
        QVERIFY(QFile::link(u"/dev/zero"_s, system + u"zero.desktop"_s));
        QVERIFY(QFile::link(system, system + u"loop"_s));

        QStringList found;
        for (const auto& entry : folders.discovery.scan()) {
            found.append(test::describe(entry.app, folders.root) + u" | "_s + entry.icon);
        }
        QCOMPARE(found.join(u"; "_s),
                 u"editor | Bearbeiter | home/applications/editor.desktop | /e.png; "
                 "kde4-konsole | Konsole | home/applications/kde4-konsole.desktop | terminal; "
                 "d1-d2-deep | Deep | local/applications/d1/d2/deep.desktop | ; "
                 "Pin | Pinball | usr/applications/games/pinball.desktop | ; "
                 "viewer | Viewer | usr/applications/viewer.desktop | "_s);
        QVERIFY(!QFile::exists(ran));
    }

    // A picked entry is named by its path below an applications folder, else by its file name;
    // hidden entries can still be picked, other types cannot.
    void aPickedEntryIsNamedByItsFolder() {
        DataFolders folders;
        QVERIFY(test::writeFiles(
            folders.root,
            {{u"usr/applications/kde4/konsole.desktop"_s, app("Name=Konsole")},
             {u"elsewhere/kde4/konsole.desktop"_s, app("Name=Konsole")},
             {u"home/applications/hidden.desktop"_s, app("Name=H\nHidden=true")},
             {u"local/applications/link.desktop"_s, "[Desktop Entry]\nType=Link\nName=L\n"}}));
        QStringList picked;
        for (const char* path :
             {"usr/applications/kde4/konsole.desktop", "elsewhere/kde4/konsole.desktop",
              "home/applications/hidden.desktop", "local/applications/link.desktop",
              "usr/applications"}) {
            picked.append(test::describe(
                folders.discovery.readPicked(folders.root + u'/' + QLatin1StringView(path)),
                folders.root));
        }
        QCOMPARE(picked,
                 QStringList({u"kde4-konsole | Konsole | usr/applications/kde4/konsole.desktop"_s,
                              u"konsole | Konsole | elsewhere/kde4/konsole.desktop"_s,
                              u"hidden | H | home/applications/hidden.desktop"_s, QString(),
                              QString()}));
    }
};

QTEST_GUILESS_MAIN(DesktopEntryDiscoveryTest)
#include "DesktopEntryDiscoveryTest.moc"
