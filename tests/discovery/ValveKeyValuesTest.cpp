#include "FixtureFiles.h"
#include "discovery/ValveKeyValues.h"

namespace {

// "outer/inner=value" per value and "outer/inner{" per section.
QStringList flatten(const ValveKeyValues& section, const QString& prefix = {}) {
    QStringList lines;
    for (const ValveKeyValues& pair : section.children()) {
        lines.append(prefix + pair.key() + (pair.isSection() ? u"{"_s : u'=' + pair.value()));
        if (pair.isSection()) {
            lines.append(flatten(pair, prefix + pair.key() + u'/'));
        }
    }
    return lines;
}

QByteArray nested(int depth) {
    return QByteArray("\"k\" {").repeated(depth) + QByteArray("}").repeated(depth);
}

}  // namespace

class ValveKeyValuesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Keys match in any letter case; of two equal keys the first counts.
    void readsSectionsValuesCommentsAndEscapesOrNothing() {
        const auto file = ValveKeyValues::parse(test::readFixture(u"libraryfolders.vdf"_s));
        QVERIFY(file && file->children().size() == 1);
        QCOMPARE(
            flatten(*file->child(u"libraryfolders")).join(u"; "_s),
            u"contentstatsid=-4711; 0{; 0/path=/home/u/.local/share/Steam; 0/apps{; "
            "0/apps/570=3; 1{; 1/path=D:\\Games\\Steam; 1/label=say \"hi\"\tthere\nnow; "
            "bare_key=bare/value; platform=linux; empty=; 0=again; \u00fcn\u00efcode=\u00fcn\u00efcode"_s);
        const ValveKeyValues* first = file->child(u"LibraryFolders")->child(u"0");
        QCOMPARE(first->isSection() ? first->child(u"Path")->value() : QString(),
                 u"/home/u/.local/share/Steam"_s);
        QVERIFY(ValveKeyValues::parse("  // nothing but a comment")->children().empty());
        QVERIFY(ValveKeyValues::parse(nested(ValveKeyValues::maxNesting)));
        for (const QByteArray& text :
             {R"("a" "b)"_ba, R"("a" "b\")"_ba, R"("a" "b" "c")"_ba, R"("s" { "a" })"_ba,
              R"({ "a" "b" })"_ba, R"("s" { "a" "b")"_ba, R"("a" "b" })"_ba,
              R"("a" "b" [$WIN32)"_ba, "\x00{\xff\""_ba, nested(ValveKeyValues::maxNesting + 1)}) {
            QVERIFY2(!ValveKeyValues::parse(text), text.constData());
        }
    }
};

QTEST_GUILESS_MAIN(ValveKeyValuesTest)
#include "ValveKeyValuesTest.moc"
