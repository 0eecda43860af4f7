#include "FixtureFiles.h"
#include "discovery/DesktopEntry.h"

class DesktopEntryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Only the keys of the [Desktop Entry] group count; the name follows the locale; the
    // identifier is the window class, else the desktop file id.
    void readsTheKeysOfTheDesktopEntryGroup() {
        const QByteArray text =
            "[Desktop Action play]\nName=Play\nIcon=other\n\n[Desktop Entry]\nType=Application\n"
            "Name=Tab\\there\\sand\\\\back\\nslash\nName[de]=Arena DE\nIcon=/opt/arena.png\n"
            "StartupWMClass=Arena\nNoDisplay=true\nHidden=false\n";
        const auto entry = DesktopEntry::parse(text, "C");
        QVERIFY(entry && entry->noDisplay && !entry->hidden);
        QCOMPARE(
            QStringList({entry->type, entry->name, entry->icon, entry->identifier(u"a.desktop"_s)}),
            QStringList({u"Application"_s, u"Tab\there and\\back\nslash"_s, u"/opt/arena.png"_s,
                         u"Arena"_s}));
        QCOMPARE(DesktopEntry::parse(text, "de_DE.UTF-8")->name, u"Arena DE"_s);
        for (const char* keys : {"StartupWMClass=\\s", ""}) {
            QCOMPARE(DesktopEntry::parse(test::app(keys), "C")->identifier(u"org.a.desktop"_s),
                     u"org.a"_s);
        }
    }

    // 2: an application that shows, 1: one that does not, 0: no application, -: unreadable, as
    // are files without the group.
    void typeNameAndFlagsDecideWhereAnEntryShows() {
        QString seen;
        for (const QByteArray& bytes :
             {"Type=Application\nName=A"_ba, "Type=Application\nName=A\nNoDisplay=true"_ba,
              "Type=Application\nName=A\nHidden=true"_ba, "Type=Application\nName=A\nHidden=yes"_ba,
              "Type=Link\nName=A\nURL=https://a.org"_ba, "Name=A"_ba, "Type=Application"_ba,
              "Type=Application\nName=\\s\\t"_ba, "Type=Application\nName\n"_ba,
              "[KDE Desktop Entry]\nType=Application\nName=A\n"_ba}) {
            const auto entry = DesktopEntry::parse(
                bytes.startsWith('[') ? bytes : "[Desktop Entry]\n" + bytes + '\n', "C");
            seen += entry ? QString::number(entry->isApplication() + entry->isShownApplication())
                          : u"-"_s;
        }
        QCOMPARE(seen, u"21120000--"_s);
    }
};

QTEST_GUILESS_MAIN(DesktopEntryTest)
#include "DesktopEntryTest.moc"
