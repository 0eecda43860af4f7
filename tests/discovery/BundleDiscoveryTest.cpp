#include "FixtureFiles.h"
#include "discovery/BundleDiscovery.h"

namespace {

const QByteArray name = "<key>CFBundleName</key>", display = "<key>CFBundleDisplayName</key>";

QByteArray id(const QByteArray& identifier) {
    return "<key>CFBundleIdentifier</key><string>" + identifier + "</string>";
}

std::pair<QString, QByteArray> bundle(const QString& path, const QByteArray& members) {
    return {path + u"/Contents/Info.plist"_s, "<plist><dict>" + members + "</dict></plist>"};
}

}  // namespace

class BundleDiscoveryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Bundles directly in the application folders, and two levels below each Steam library's
    // "common" folder; named by the display name, else the bundle name, else the folder.
    void theScanListsEveryFolderAndLibraryOnceSortedByName() {
        QTemporaryDir dir;
        const QString root = dir.path();
        const QString library = root + u"/home/Library/Application Support/Steam/steamapps"_s;
        // Each plain bundle is named by its path and identified by its folder's name.
        for (const char* path :
             {"Applications/Dup.app", "Applications/alpha.app", "Applications/Sub/Nested.app",
              "Applications/Upper.APP", "System/Dup.app", "home/Applications/Dup.app",
              "home/Applications/Beta.app", "S/A/A.app", "S/A/Dup.app", "S/Direct.app",
              "S/B/Deeper/Inner.app", "Extra/steamapps/common/C/C.app"}) {
            const QString at = QString::fromLatin1(path).replace(u"S/"_s, library + u"/common/"_s);
            QVERIFY(
                test::writeFiles(root, {bundle(at, id(QFileInfo(at).baseName().toUtf8()) + name +
                                                       "<string>" + path + "</string>")}));
        }
        const QString a = u"Applications/"_s;
        const QByteArray shortName = name + "<string>Short</string>";
        QVERIFY(test::writeFiles(
            root,
            {bundle(a + u"Shown.app"_s, id("shown") + shortName + display + "<string>D</string>"),
             bundle(a + u"Flag.app"_s, id("flag") + display + "<true/>" + shortName),
             bundle(a + u"My.apple.app"_s, id("my") + name + "<array/>"),
             bundle(a + u"Tool"_s, id("tool")), bundle(a + u"Blank.app"_s, id(" ")),
             bundle(a + u"None.app"_s, shortName),
             bundle(a + u"Number.app"_s, "<key>CFBundleIdentifier</key><integer>1</integer>")}));
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
            u"alpha | Applications/alpha.app; Dup | Applications/Dup.app;   | Blank; shown | D; "
            "C | Extra/steamapps/common/C/C.app; Beta | home/Applications/Beta.app; my | "
            "My.apple; A | S/A/A.app; flag | Short"_s);
        QCOMPARE(test::pick(root, &AppCatalog::readPickedApp, discovery,
                            {u"System/Dup.app"_s, u"Applications/My.apple.app/"_s,
                             u"Applications/Tool"_s, u"Applications/Blank.app"_s}),
                 u"Dup | System/Dup.app; my | My.apple; tool | Tool; "_s);
        // Text that is not UTF-8 is not read at all, although its paths are plain.
        QVERIFY(test::writeFiles(library, {{u"libraryfolders.vdf"_s, "\xff" + listed}}));
        QCOMPARE(test::describe(discovery.scanSteamLibraries()), games.section(u"; "_s, 0, 1));
    }
};

QTEST_GUILESS_MAIN(BundleDiscoveryTest)
#include "BundleDiscoveryTest.moc"
