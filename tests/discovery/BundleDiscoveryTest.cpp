#include "FixtureFiles.h"
#include "discovery/BundleDiscovery.h"

#include <QTest>

using namespace thrumwise;

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
    void aBundleGivesItsIdentifierAndName() {
        QTemporaryDir root;
        const QByteArray id = "<key>CFBundleIdentifier</key><string>a</string>";
        const QByteArray shortName = "<key>CFBundleName</key><string>Short</string>";
        // Bundle folder, Info.plist, and "identifier | name", empty for no application.
        const std::vector<std::tuple<QString, QByteArray, QString>> cases{
            {u"A.app"_s, info(id + shortName + "<key>CFBundleDisplayName</key><string>D</string>"),
             u"a | D"_s},
            {u"B.app"_s, info(id + "<key>CFBundleDisplayName</key><true/>" + shortName),
             u"a | Short"_s},
            {u"My.apple.app"_s, info(id + "<key>CFBundleName</key><array/>"), u"a | My.apple"_s},
            {u"Slash.app/"_s, info(id), u"a | Slash"_s},
            {u"Tool"_s, info(id), u"a | Tool"_s},
            {u"Blank.app"_s, bundle("", "Blank"), u" | Blank"_s},
            {u"None.app"_s, info(shortName), QString()},
            {u"Number.app"_s, info("<key>CFBundleIdentifier</key><integer>1</integer>"), QString()},
            {u"Array.app"_s, "<plist><array/></plist>", QString()},
            {u"Cut.app"_s, bundle("a", "Cut").chopped(12), QString()},
        };
        for (const auto& [folder, bytes, expected] : cases) {
            QVERIFY(test::writeFiles(root.path(), {{folder + plist, bytes}}));
            const auto app =
                AppBundleReader(BoundedFileSystem()).readAppBundle(root.filePath(folder));
            QCOMPARE(app ? app->bundleId + u" | "_s + app->displayName : QString(), expected);
        }
    }

    // Bundles directly in the application folders, and two levels below each Steam library's
    // "common" folder; the first for each identifier kept.
    void theScanListsEveryFolderAndLibraryOnceSortedByName() {
        QTemporaryDir dir;
        const QString root = dir.path();
        const QString steam = u"home/Library/Application Support/Steam/"_s;
        const QString common = steam + u"steamapps/common/"_s;
        QString extra = root + u"/Extra Library"_s;
        extra.replace(u'/', u"\\\\"_s);  // escaped backslashes, as on Windows
        QVERIFY(test::writeFiles(
            root, {{u"Applications/Dup.app"_s + plist, bundle("dup", "Dup")},
                   {u"Applications/Alpha.app"_s + plist, bundle("alpha", "Alpha")},
                   {u"Applications/Utilities/Nested.app"_s + plist, bundle("nested", "Nested")},
                   {u"Applications/Upper.APP"_s + plist, bundle("upper", "Upper")},
                   {u"Applications/Empty.app/Contents/PkgInfo"_s, "APPL"},
                   {u"System/Applications/Dup.app"_s + plist, bundle("dup", "Dup System")},
                   {u"home/Applications/beta.app"_s + plist, bundle("beta", "beta")},
                   {u"home/Applications/Dup.app"_s + plist, bundle("dup", "Dup Home")},
                   {common + u"Game A/Game A.app"_s + plist, bundle("a", "Game A")},
                   {common + u"Game A/Dup.app"_s + plist, bundle("dup", "Dup Steam")},
                   {common + u"Direct.app"_s + plist, bundle("direct", "Direct")},
                   {common + u"Game B/Deeper/Inner.app"_s + plist, bundle("inner", "Inner")},
                   {common + u"notes.app"_s, "not a folder"},
                   {u"Extra Library/steamapps/common/C/C.app"_s + plist, bundle("c", "Game C")},
                   {steam + u"steamapps/libraryfolders.vdf"_s,
                    "\"libraryfolders\" {\n\"0\" { \"path\" \"" +
                        (root + u'/' + steam.chopped(1)).toUtf8() + "\" }\n\"1\" { \"path\"\n\"" +
                        extra.toUtf8() + "\" }\n\"2\" { \"path\" \"/nonexistent\" }\n}\n"}}));
        BundleDiscovery discovery({root + u"/Applications"_s, root + u"/System/Applications"_s,
                                   root + u"/home/Applications"_s},
                                  root + u"/home"_s, BoundedFileSystem());

        const QString games =
            u"dup | Dup Steam | %1Game A/Dup.app; a | Game A | %1Game A/Game A.app; "
            "c | Game C | Extra Library/steamapps/common/C/C.app"_s.arg(common);
        QCOMPARE(test::describe(discovery.scanSteamLibraries(), root), games);
        QCOMPARE(
            test::describe(discovery.scanInstalledApps(), root),
            u"alpha | Alpha | Applications/Alpha.app; beta | beta | home/Applications/beta.app; "
            "dup | Dup | Applications/Dup.app; a | Game A | %1Game A/Game A.app; "
            "c | Game C | Extra Library/steamapps/common/C/C.app"_s.arg(common));
        QCOMPARE(test::describe(discovery.readPickedApp(root + u"/Applications/Alpha.app"_s), root),
                 u"alpha | Alpha | Applications/Alpha.app"_s);

        // A library file that is not UTF-8 is not read at all, although its paths are plain.
        QVERIFY(test::writeFiles(
            root, {{steam + u"steamapps/libraryfolders.vdf"_s,
                    "\"label\" \"\xff\" \"path\" \"" + root.toUtf8() + "/Extra Library\""}}));
        QCOMPARE(test::describe(discovery.scanSteamLibraries(), root),
                 games.section(u"; "_s, 0, 1));
    }
};

QTEST_GUILESS_MAIN(BundleDiscoveryTest)
#include "BundleDiscoveryTest.moc"
