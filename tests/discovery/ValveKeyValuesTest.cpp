#include "FixtureFiles.h"
#include "discovery/ValveKeyValues.h"

#include <QTest>

using namespace thrumwise;

namespace {

// One line per pair, "outer/inner=value" for values and "outer/inner{" for sections.
QStringList flatten(const ValveKeyValues& section, const QString& prefix = {}) {
    QStringList lines;
    for (const ValveKeyValues& pair : section.children()) {
        const QString path = prefix + pair.key();
        if (pair.isSection()) {
            lines.append(path + QLatin1Char('{'));
            lines.append(flatten(pair, path + QLatin1Char('/')));
        } else {
            lines.append(path + QLatin1Char('=') + pair.value());
        }
    }
    return lines;
}

QByteArray nestedSections(int depth) {
    return QByteArray("\"k\" {").repeated(depth) + QByteArray("}").repeated(depth);
}

}  // namespace

class ValveKeyValuesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsSectionsValuesCommentsAndEscapes() {
        const auto file =
            ValveKeyValues::parse(test::readFixture(QStringLiteral("libraryfolders.vdf")));
        QVERIFY(file.has_value());
        QCOMPARE(
            flatten(*file),
            (QStringList{
                QStringLiteral("libraryfolders{"),
                QStringLiteral("libraryfolders/contentstatsid=-4711"),
                QStringLiteral("libraryfolders/0{"),
                QStringLiteral("libraryfolders/0/path=/home/u/.local/share/Steam"),
                QStringLiteral("libraryfolders/0/apps{"),
                QStringLiteral("libraryfolders/0/apps/570=3"), QStringLiteral("libraryfolders/1{"),
                QStringLiteral("libraryfolders/1/path=D:\\Games\\Steam"),
                QStringLiteral("libraryfolders/1/label=say \"hi\"\tthere\nnow"),
                QStringLiteral("libraryfolders/bare_key=bare/value"),
                QStringLiteral("libraryfolders/platform=linux"),
                QStringLiteral("libraryfolders/empty="), QStringLiteral("libraryfolders/0=again"),
                QStringLiteral("libraryfolders/\u00fcn\u00efcode=\u00fcn\u00efcode")}));
        const ValveKeyValues* folders = file->child(u"LibraryFolders");
        QVERIFY(folders != nullptr && folders->isSection());
        QVERIFY(folders->child(u"0")->isSection());
        QCOMPARE(folders->child(u"PATH"), nullptr);
        QCOMPARE(folders->child(u"0")->child(u"Path")->value(),
                 QStringLiteral("/home/u/.local/share/Steam"));
        QVERIFY(ValveKeyValues::parse("  // nothing but a comment")->children().empty());
    }

    void malformedTextYieldsNothing_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("unterminated string") << QByteArray(R"("a" "b)");
        QTest::newRow("escaped closing quote") << QByteArray(R"("a" "b\")");
        QTest::newRow("key without value") << QByteArray(R"("a" "b" "c")");
        QTest::newRow("key closing a section") << QByteArray(R"("s" { "a" })");
        QTest::newRow("section without key") << QByteArray(R"({ "a" "b" })");
        QTest::newRow("unclosed section") << QByteArray(R"("s" { "a" "b")");
        QTest::newRow("stray closing brace") << QByteArray(R"("a" "b" })");
        QTest::newRow("unterminated condition") << QByteArray(R"("a" "b" [$WIN32)");
        QTest::newRow("too deeply nested") << nestedSections(ValveKeyValues::maxNesting + 1);
        QTest::newRow("binary garbage") << QByteArray("\x00{\xff\"", 4);
    }

    void malformedTextYieldsNothing() {
        QFETCH(QByteArray, text);
        QCOMPARE(ValveKeyValues::parse(text).has_value(), false);
    }

    void nestingUpToTheLimitIsRead() {
        const auto deepest = ValveKeyValues::parse(nestedSections(ValveKeyValues::maxNesting));
        QVERIFY(deepest.has_value());
        const ValveKeyValues* section = &*deepest;
        for (int depth = 0; depth < ValveKeyValues::maxNesting; ++depth) {
            section = section->child(u"k");
            QVERIFY(section != nullptr);
        }
        QVERIFY(section->isSection() && section->children().empty());
    }
};

QTEST_GUILESS_MAIN(ValveKeyValuesTest)
#include "ValveKeyValuesTest.moc"
