#include "discovery/DesktopEntry.h"

#include <QTest>

using namespace thrumwise;

namespace {

std::optional<DesktopEntry> parse(const QByteArray& bytes, const QByteArray& locale = "C") {
    return DesktopEntry::parse(bytes, locale);
}

QByteArray localized() {
    return R"([Desktop Entry]
Type=Application
Name=Arena
Name[de]=Arena DE
Name[de_DE]=Arena Deutschland
Name[sr@latin]=Arena Latinica
)";
}

}  // namespace

class DesktopEntryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsTheKeysOfTheDesktopEntryGroup() {
        const auto entry = parse(R"(# A comment before the group
[Desktop Action play]
Name=Play now
Icon=other

[Desktop Entry]
# Comments and blank lines inside the group

Type=Application
Name=Tab\there\sand\\back\nslash
Icon=/opt/arena/icon.png
StartupWMClass=ArenaClient
Exec=arena %U
NoDisplay=true
Hidden=false
)");
        QVERIFY(entry.has_value());
        QCOMPARE(entry->type, QStringLiteral("Application"));
        QCOMPARE(entry->name, QStringLiteral("Tab\there and\\back\nslash"));
        QCOMPARE(entry->icon, QStringLiteral("/opt/arena/icon.png"));
        QCOMPARE(entry->startupWmClass, QStringLiteral("ArenaClient"));
        QVERIFY(entry->noDisplay);
        QVERIFY(!entry->hidden);
    }

    void theNameFollowsTheLocale_data() {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QString>("name");
        QTest::newRow("exact") << QByteArray("de_DE.UTF-8") << QStringLiteral("Arena Deutschland");
        QTest::newRow("language only") << QByteArray("de_AT") << QStringLiteral("Arena DE");
        QTest::newRow("modifier") << QByteArray("sr_RS@latin") << QStringLiteral("Arena Latinica");
        QTest::newRow("untranslated") << QByteArray("fr_FR") << QStringLiteral("Arena");
    }

    void theNameFollowsTheLocale() {
        QFETCH(QByteArray, locale);
        QFETCH(QString, name);
        QCOMPARE(parse(localized(), locale)->name, name);
    }

    void typeNameAndFlagsDecideWhereAnEntryShows_data() {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<bool>("application");
        QTest::addColumn<bool>("shown");
        QTest::newRow("application") << QByteArray("Type=Application\nName=A") << true << true;
        QTest::newRow("NoDisplay")
            << QByteArray("Type=Application\nName=A\nNoDisplay=true") << true << false;
        QTest::newRow("Hidden") << QByteArray("Type=Application\nName=A\nHidden=true") << true
                                << false;
        QTest::newRow("false flags")
            << QByteArray("Type=Application\nName=A\nHidden=false\nNoDisplay=false") << true
            << true;
        QTest::newRow("malformed flag")
            << QByteArray("Type=Application\nName=A\nHidden=yes") << true << true;
        QTest::newRow("link") << QByteArray("Type=Link\nName=A\nURL=https://example.com") << false
                              << false;
        QTest::newRow("no type") << QByteArray("Name=A") << false << false;
        QTest::newRow("no name") << QByteArray("Type=Application") << false << false;
        QTest::newRow("blank name")
            << QByteArray("Type=Application\nName=\\s\\t") << false << false;
    }

    void typeNameAndFlagsDecideWhereAnEntryShows() {
        QFETCH(QByteArray, keys);
        QFETCH(bool, application);
        QFETCH(bool, shown);
        const auto entry = parse("[Desktop Entry]\n" + keys + '\n');
        QVERIFY(entry.has_value());
        QCOMPARE(entry->isApplication(), application);
        QCOMPARE(entry->isShownApplication(), shown);
    }

    void theIdentifierIsTheWindowClassElseTheId() {
        const QString id = QStringLiteral("org.example.Arena.desktop");
        QCOMPARE(parse("[Desktop Entry]\nStartupWMClass=arena-bin\n")->identifier(id),
                 QStringLiteral("arena-bin"));
        QCOMPARE(parse("[Desktop Entry]\nStartupWMClass=\\s\n")->identifier(id),
                 QStringLiteral("org.example.Arena"));
        QCOMPARE(parse("[Desktop Entry]\n")->identifier(id), QStringLiteral("org.example.Arena"));
    }

    void malformedFilesYieldNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("binary garbage") << QByteArray("\x7f\x45\x4c\x46\x02\x01\x00\xff\xfe", 9);
        QTest::newRow("key before any group")
            << QByteArray("Comment=A\n[Desktop Entry]\nType=Application\nName=A\n");
        QTest::newRow("unsupported encoding")
            << QByteArray("[Desktop Entry]\nEncoding=Legacy-Mixed\nType=Application\nName=A\n");
        // GLib takes a vertical tab for no white space: the line is an error, not a blank line.
        QTest::newRow("line of a vertical tab")
            << QByteArray("[Desktop Entry]\nType=Application\nName=A\n\v\n");
        QTest::newRow("truncated group header") << QByteArray("[Desktop Ent");
        QTest::newRow("other group only") << QByteArray("[KDE Desktop Entry]\nType=Application\n");
        QTest::newRow("line that is no key")
            << QByteArray("[Desktop Entry]\nType=Application\nName\n");
        QTest::newRow("group name not UTF-8") << QByteArray("[Desktop \xff Entry]\nName=A\n");
    }

    void malformedFilesYieldNothing() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(parse(bytes).has_value(), false);
    }

    void hugeValuesAreRead() {
        const QByteArray name(1 << 20, 'n');
        const auto entry = parse("[Desktop Entry]\nType=Application\nName=" + name + '\n');
        QVERIFY(entry.has_value());
        QCOMPARE(entry->name, QString::fromLatin1(name));
    }
};

QTEST_GUILESS_MAIN(DesktopEntryTest)
#include "DesktopEntryTest.moc"
