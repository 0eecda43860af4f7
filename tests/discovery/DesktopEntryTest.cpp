#include "FixtureFiles.h"
#include "discovery/DesktopEntry.h"

#include <QTest>

using namespace thrumwise;

class DesktopEntryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsTheKeysOfTheDesktopEntryGroup() {
        const auto entry = DesktopEntry::parse(R"(# A comment before the group
[Desktop Action play]
Name=Play now
Icon=other

[Desktop Entry]
# Comments and blank lines inside the group

Type=Application
Name=Tab\there\sand\\back\nslash
Icon=/opt/arena/icon.png
StartupWMClass=ArenaClient
NoDisplay=true
Hidden=false
)",
                                               "C");
        QVERIFY(entry.has_value());
        QCOMPARE(QStringList({entry->type, entry->name, entry->icon, entry->startupWmClass}),
                 QStringList({u"Application"_s, u"Tab\there and\\back\nslash"_s,
                              u"/opt/arena/icon.png"_s, u"ArenaClient"_s}));
        QVERIFY(entry->noDisplay && !entry->hidden);
        const QByteArray huge(1 << 20, 'n');
        QCOMPARE(DesktopEntry::parse(test::app("Name=" + huge), "C")->name,
                 QString::fromLatin1(huge));
    }

    void theNameFollowsTheLocale() {
        const QByteArray entry =
            test::app("Name=Arena\nName[de]=DE\nName[de_DE]=Deutschland\nName[sr@latin]=Latinica");
        const std::vector<std::pair<QByteArray, QString>> cases{{"de_DE.UTF-8", u"Deutschland"_s},
                                                                {"de_AT", u"DE"_s},
                                                                {"sr_RS@latin", u"Latinica"_s},
                                                                {"fr_FR", u"Arena"_s}};
        for (const auto& [locale, name] : cases) {
            QCOMPARE(DesktopEntry::parse(entry, locale)->name, name);
        }
    }

    void typeNameAndFlagsDecideWhereAnEntryShows() {
        // Keys, and whether the entry is an application and one that shows.
        const std::vector<std::tuple<QByteArray, bool, bool>> cases{
            {"Type=Application\nName=A", true, true},
            {"Type=Application\nName=A\nNoDisplay=true", true, false},
            {"Type=Application\nName=A\nHidden=true", true, false},
            {"Type=Application\nName=A\nHidden=false\nNoDisplay=false", true, true},
            {"Type=Application\nName=A\nHidden=yes", true, true},
            {"Type=Link\nName=A\nURL=https://example.com", false, false},
            {"Name=A", false, false},
            {"Type=Application", false, false},
            {"Type=Application\nName=\\s\\t", false, false}};
        for (const auto& [keys, application, shown] : cases) {
            const auto entry = DesktopEntry::parse("[Desktop Entry]\n" + keys + '\n', "C");
            QVERIFY2(entry && entry->isApplication() == application &&
                         entry->isShownApplication() == shown,
                     keys.constData());
        }
    }

    void theIdentifierIsTheWindowClassElseTheId() {
        const QString id = u"org.example.Arena.desktop"_s;
        for (const auto& [keys, identifier] : std::vector<std::pair<QByteArray, QString>>{
                 {"StartupWMClass=arena-bin", u"arena-bin"_s},
                 {"StartupWMClass=\\s", u"org.example.Arena"_s},
                 {"", u"org.example.Arena"_s}}) {
            QCOMPARE(DesktopEntry::parse(test::app(keys), "C")->identifier(id), identifier);
        }
    }

    void malformedFilesYieldNothing() {
        for (const QByteArray& bytes :
             {""_ba, "\x7f\x45\x4c\x46\x02\x01\x00\xff\xfe"_ba,
              "Comment=A\n[Desktop Entry]\nType=Application\nName=A\n"_ba,
              "[Desktop Entry]\nEncoding=Legacy-Mixed\nType=Application\nName=A\n"_ba,
              // GLib takes a vertical tab for no white space: the line is an error.
              "[Desktop Entry]\nType=Application\nName=A\n\v\n"_ba, "[Desktop Ent"_ba,
              "[KDE Desktop Entry]\nType=Application\n"_ba,
              "[Desktop Entry]\nType=Application\nName\n"_ba,
              "[Desktop \xff Entry]\nName=A\n"_ba}) {
            QVERIFY2(!DesktopEntry::parse(bytes, "C"), bytes.constData());
        }
    }
};

QTEST_GUILESS_MAIN(DesktopEntryTest)
#include "DesktopEntryTest.moc"
