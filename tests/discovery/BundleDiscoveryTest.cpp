#include "FixtureFiles.h"
#include "discovery/BundleDiscovery.h"

namespace {

const QString plist = u"/Contents/Info.plist"_s;

QByteArray info(const QByteArray& members) {
    return "<plist version=\"1.0\"><dict>" + members + "</dict></plist>\n";
}

QByteArray bundle(const QByteArray& identifier, const QByteArray& name) {
    return info("<key>CFBundleIdentifier</key><string>" + identifier +
                "</string><key>CFBundleName</key><string>" + name + "</string>");
}

}  // namespace

class BundleDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The display name, else the bundle name, else the folder's name without its ".app".
    void aBundleGivesItsIdentifierAndName() {
        QTemporaryDir root;
        const QByteArray id = "<key>CFBundleIdentifier</key><string>a</string>";
        const QByteArray shortName = "<key>CFBundleName</key><string>Short</string>";
        QStringList found;
        for (const auto& [folder, bytes] :
             {std::pair(u"A.app"_s,
                        info(id + shortName + "<key>CFBundleDisplayName</key><string>D</string>")),
              std::pair(u"B.app"_s, info(id + "<key>CFBundleDisplayName</key><true/>" + shortName)),
              std::pair(u"My.apple.app"_s, info(id + "<key>CFBundleName</key><array/>")),
              std::pair(u"Slash.app/"_s, info(id)), std::pair(u"Tool"_s, info(id)),
              std::pair(u"Blank.app"_s, bundle("", "Blank")),
              std::pair(u"None.app"_s, info(shortName)),
              std::pair(u"Number.app"_s, info("<key>CFBundleIdentifier</key><integer>1</integer>")),
              std::pair(u"Array.app"_s, "<plist><array/></plist>"_ba)}) {
            QVERIFY(test::writeFiles(root.path(), {{folder + plist, bytes}}));
            found.append(test::describe(
                AppBundleReader(BoundedFileSystem()).readAppBundle(root.filePath(folder))));
        }
        QCOMPARE(found.join(u", "_s),
                 u"a | D, a | Short, a | My.apple, a | Slash, a | Tool,  | Blank, , , "_s);
    }

    // Bundles directly in the application folders, and two levels below each Steam library's
    // "common" folder; the first for each identifier kept, sorted by name.
    void theScanListsEveryFolderAndLibraryOnceSortedByName() {
        QTemporaryDir dir;
        const QString root = dir.path();
        const QString library = root + u"/home/Library/Application Support/Steam/steamapps"_s;
        // Each bundle is named by its path and identified by its folder's name.
        for (const char* path :
             {"Applications/Dup.app", "Applications/alpha.app", "Applications/Sub/Nested.app",
              "Applications/Upper.APP", "System/Dup.app", "home/Applications/Dup.app",
              "home/Applications/Beta.app", "S/A/A.app", "S/A/Dup.app", "S/Direct.app",
              "S/B/Deeper/Inner.app", "Extra/steamapps/common/C/C.app"}) {
            const QString at = QString::fromLatin1(path).replace(u"S/"_s, library + u"/common/"_s);
            QVERIFY(test::writeFiles(
                root, {{at + plist, bundle(QFileInfo(at).baseName().toUtf8(), path)}}));
        }
        // The default library again, one with escaped backslashes as on Windows, one missing.
        QString extra = root + u"/Extra"_s;
        const QByteArray listed =
            "\"0\" { \"path\" \"" + library.chopped(10).toUtf8() + "\" } \"1\" { \"path\"\n\"" +
            extra.replace(u'/', u"\\\\"_s).toUtf8() + "\" } \"2\" { \"path\" \"/nonexistent\" }";
        QVERIFY(test::writeFiles(library, {{u"libraryfolders.vdf"_s, listed}}));
        BundleDiscovery discovery(
            {root + u"/Applications"_s, root + u"/System"_s, root + u"/home/Applications"_s},
            root + u"/home"_s, BoundedFileSystem());
        const QString games =
            u"A | S/A/A.app; Dup | S/A/Dup.app; C | Extra/steamapps/common/C/C.app"_s;
        QCOMPARE(test::describe(discovery.scanSteamLibraries()), games);
        QCOMPARE(
            test::describe(discovery.scanInstalledApps()),
            u"alpha | Applications/alpha.app; Dup | Applications/Dup.app; C | "
            "Extra/steamapps/common/C/C.app; Beta | home/Applications/Beta.app; A | S/A/A.app"_s);
        QCOMPARE(test::describe(discovery.readPickedApp(root + u"/System/Dup.app"_s)),
                 u"Dup | System/Dup.app"_s);
        // Text that is not UTF-8 is not read at all, although its paths are plain.
        QVERIFY(test::writeFiles(library, {{u"libraryfolders.vdf"_s, "\xff" + listed}}));
        QCOMPARE(test::describe(discovery.scanSteamLibraries()), games.section(u"; "_s, 0, 1));
    }
};

QTEST_GUILESS_MAIN(BundleDiscoveryTest)
#include "BundleDiscoveryTest.moc"
