#include "FixtureFiles.h"
#include "discovery/PropertyListReader.h"

#include <bit>
#include <cmath>

using Dictionary = PropertyListValue::Dictionary;
using I = std::int64_t;

namespace {

QByteArray hex(quint64 value, int width) {
    return QByteArray::number(value, 16).rightJustified(2 * width, '0');
}

// A binary list of the objects, in hex and separated by spaces, with 1-byte references.
QByteArray bin(const QByteArray& objects, quint64 top = 0, int offsetWidth = 2) {
    QByteArray bytes("bplist00"), table;
    const QByteArrayList list = objects.split(' ');
    for (const QByteArray& object : list) {
        table += hex(static_cast<quint64>(bytes.size()), offsetWidth);
        bytes += QByteArray::fromHex(object);
    }
    return bytes + QByteArray::fromHex(table + hex(0, 6) + hex(offsetWidth, 1) + "01" +
                                       hex(list.size(), 8) + hex(top, 8) + hex(bytes.size(), 8));
}

QByteArray date(double seconds) {
    return "33" + hex(std::bit_cast<quint64>(seconds), 8);
}

// Arrays nested `depth` deep around an empty array.
QByteArray nested(int depth, bool binary) {
    QByteArray objects;
    for (int i = 1; i < depth; ++i) {
        objects += "a1" + hex(i, 1) + ' ';
    }
    return binary ? bin(objects + "a0")
                  : "<plist>" + QByteArray("<array>").repeated(depth) +
                        QByteArray("</array>").repeated(depth) + "</plist>";
}

}  // namespace

class PropertyListReaderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The two forms are read by separate code, so each checks the other in all 17 members.
    void bothFormsReadAsTheSameValuesAndNoneCutShort() {
        std::optional<PropertyListValue> values[2];
        for (const auto* name : {"Sample.xml.plist", "Sample.binary.plist"}) {
            // Without its final line break the XML is still whole.
            const QByteArray whole = test::readFixture(QString::fromLatin1(name)).trimmed();
            values[whole.startsWith("bplist")] = PropertyListReader::parse(whole);
            for (qsizetype length = 0; length < whole.size(); ++length) {
                QVERIFY2(!PropertyListReader::parse(whole.first(length)), name);
            }
        }
        QVERIFY(values[0] && values[0] == values[1]);
        QCOMPARE(values[0]->get<Dictionary>()->size(), std::size_t{17});
    }

    // Forms the sample does not hold, limits that are inclusive, and lists that yield nothing.
    void readsEveryFormWithinTheLimitsAndNothingElse() {
        const QByteArray text(PropertyListReader::maxBytes - "<string></string>"_ba.size(), 'a');
        const std::vector<std::pair<QByteArray, PropertyListValue>> cases{
            {bin("223fc00000"), 1.5},  // a 4-byte real
            {bin("10ff"), I{255}},     // integers of 1 to 4 bytes are unsigned
            {bin("12fffffffe"), I{0xFFFFFFFE}},
            {bin("14fffffffffffffffffffffffffffffffb"), I{-5}},
            {bin("63d83dde000041"), u"\U0001F600A"_s},  // a surrogate pair
            {bin(date(-1.5)), QDateTime(QDate(2000, 12, 31), QTime(23, 59, 58, 500), Qt::UTC)},
            // One object under two keys, a later key replacing an earlier.
            {bin("d3010201030304 516b 5178 5176 5177"),
             Dictionary{{u"k"_s, u"w"_s}, {u"x"_s, u"v"_s}}},
            {bin("516b 5178", 1), u"x"_s},  // a top object other than the first
            {bin("516b", 0, 1), u"k"_s},
            {bin("516b", 0, 8), u"k"_s},
            // A bare value without the plist element, exactly as large as allowed.
            {"<string>" + text + "</string>", QString::fromLatin1(text)}};
        for (const auto& [bytes, expected] : cases) {
            const auto value = PropertyListReader::parse(bytes);
            QVERIFY2(value && *value == expected, bytes.left(40).toHex().constData());
        }
        QByteArrayList lists{"bplist01" + bin("516b").mid(8), bin("516b", 1), bin("516b", 0, 9),
                             "<string>a" + text + "</string>"};
        for (const bool binary : {false, true}) {
            QVERIFY(PropertyListReader::parse(nested(PropertyListReader::maxNesting, binary)));
            lists.append(nested(PropertyListReader::maxNesting + 1, binary));
        }
        // Strings counted past the end, references in a cycle, a key that is no string, an
        // unknown type, an integer beyond 64 bits, dates that are no number or out of range.
        for (const QByteArray& objects :
             {"5e61"_ba, "a101 a100"_ba, "d10101 1001"_ba, "8001"_ba,
              "14010000000000000000000000000000"_ba, date(std::nan("")), date(1e300)}) {
            lists.append(bin(objects));
        }
        // Two levels each holding the next 250 times: 40 MB of strings from a file of 1 KB.
        lists.append(bin("af1100fa" + QByteArray(250, 1).toHex() + " af1100fa" +
                         QByteArray(250, 2).toHex() + " 5f110258" + QByteArray(600, 'x').toHex()));
        for (const char* body :
             {"", "<string>a</string><string>b</string>", "<color>red</color>",
              "<dict><key>a</key></dict>", "<dict><string>a</string><true/></dict>",
              "<integer>12x</integer>", "<real>two</real>", "<date>yesterday</date>",
              "<data>!!!</data>"}) {
            lists.append("<plist>"_ba + body + "</plist>");
        }
        for (const QByteArray& bytes : lists) {
            QVERIFY2(!PropertyListReader::parse(bytes), bytes.left(100).toHex().constData());
        }
    }
};

QTEST_GUILESS_MAIN(PropertyListReaderTest)
#include "PropertyListReaderTest.moc"
