#include "FixtureFiles.h"
#include "discovery/DesktopEntry.h"

class DesktopEntryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Only the keys of the [Desktop Entry] group count; the name follows the locale.
    void readsTheKeysOfTheDesktopEntryGroup() {
        const QByteArray text =
            "[Desktop Action play]\nName=Play\nIcon=other\n\n[Desktop Entry]\nType=Application\n"
            "Name=Tab\\there\\sand\\\\back\\nslash\nName[de]=Arena DE\nIcon=/opt/arena.png\n"
            "StartupWMClass=Arena\nNoDisplay=true\nHidden=false\n";
        const auto entry = DesktopEntry::parse(text, "C");
        QVERIFY(entry && entry->noDisplay && !entry->hidden);
        QCOMPARE(QStringList({entry->type, entry->name, entry->icon, entry->startupWmClass}),
                 QStringList({u"Application"_s, u"Tab\there and\\back\nslash"_s,
                              u"/opt/arena.png"_s, u"Arena"_s}));
        QCOMPARE(DesktopEntry::parse(text, "de_DE.UTF-8")->name, u"Arena DE"_s);
    }

    void typeNameAndFlagsDecideWhereAnEntryShows() {
        // Applications: shown unless hidden or not to be displayed.
        for (const auto& [keys, shown] :
             {std::pair("", true), std::pair("NoDisplay=true", false),
              std::pair("Hidden=true", false), std::pair("Hidden=false\nNoDisplay=false", true),
              std::pair("Hidden=yes", true)}) {
            const auto entry = DesktopEntry::parse(test::app("Name=A\n"_ba + keys), "C");
            QVERIFY2(entry && entry->isApplication() && entry->isShownApplication() == shown, keys);
        }
        // No application: another type, no type, no name, a blank name.
        for (const char* keys : {"Type=Link\nName=A\nURL=https://example.com", "Name=A",
                                 "Type=Application", "Type=Application\nName=\\s\\t"}) {
            const auto entry = DesktopEntry::parse("[Desktop Entry]\n"_ba + keys + '\n', "C");
            QVERIFY2(entry && !entry->isApplication() && !entry->isShownApplication(), keys);
        }
    }

    void theIdentifierIsTheWindowClassElseTheId() {
        QStringList identifiers;
        for (const char* keys : {"StartupWMClass=arena-bin", "StartupWMClass=\\s", ""}) {
            identifiers.append(DesktopEntry::parse(test::app(keys), "C")
                                   ->identifier(u"org.example.Arena.desktop"_s));
        }
        QCOMPARE(identifiers,
                 QStringList({u"arena-bin"_s, u"org.example.Arena"_s, u"org.example.Arena"_s}));
    }

    // Files GLib cannot read, and files without the group.
    void malformedFilesYieldNothing() {
        for (const QByteArray& bytes : {""_ba, "\x7f\x45\x4c\x46\x02\x01\x00\xff\xfe"_ba,
                                        "[Desktop Entry]\nType=Application\nName\n"_ba,
                                        "[KDE Desktop Entry]\nType=Application\nName=A\n"_ba}) {
            QVERIFY2(!DesktopEntry::parse(bytes, "C"), bytes.constData());
        }
    }
};

QTEST_GUILESS_MAIN(DesktopEntryTest)
#include "DesktopEntryTest.moc"
