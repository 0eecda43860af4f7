#include "FixtureFiles.h"
#include "discovery/PropertyListReader.h"

#include <bit>
#include <cmath>

using Dictionary = PropertyListValue::Dictionary;
using Array = PropertyListValue::Array;
using I = std::int64_t;

class PropertyListReaderTest : public QObject {
    Q_OBJECT

    static QByteArray bigEndian(quint64 value, int width) {
        QByteArray bytes(width, '\0');
        for (int i = 1; i <= std::min(width, 8); ++i, value >>= 8) {
            bytes[width - i] = static_cast<char>(value & 0xFFU);
        }
        return bytes;
    }

    // A binary list of the objects, in hex and separated by spaces, numbered in order with 1-byte
    // references; `trailer` replaces trailer fields (byte position -> value).
    static QByteArray bin(const QByteArray& objects, quint64 top = 0,
                          const QList<std::pair<int, quint64>>& trailer = {}, int offsetWidth = 2) {
        QByteArray bytes("bplist00");
        QByteArray table;
        const QByteArrayList list = objects.split(' ');
        for (const QByteArray& object : list) {
            table += bigEndian(static_cast<quint64>(bytes.size()), offsetWidth);
            bytes += QByteArray::fromHex(object);
        }
        QByteArray tail = QByteArray(6, '\0') + char(offsetWidth) + '\1' +
                          bigEndian(static_cast<quint64>(list.size()), 8) + bigEndian(top, 8) +
                          bigEndian(static_cast<quint64>(bytes.size()), 8);
        for (const auto& [position, value] : trailer) {
            const int width = position < 8 ? 1 : 8;
            tail.replace(position, width, bigEndian(value, width));
        }
        return bytes + table + tail;
    }

    static QByteArray date(double seconds) {
        return "33" + bigEndian(std::bit_cast<quint64>(seconds), 8).toHex();
    }

    // Arrays nested `depth` deep around an empty array, in both forms.
    static QByteArray nestedXml(int depth) {
        return "<plist>" + QByteArray("<array>").repeated(depth) +
               QByteArray("</array>").repeated(depth) + "</plist>";
    }

    static QByteArray nestedBinary(int depth) {
        QByteArray objects;
        for (int i = 1; i < depth; ++i) {
            objects += "a1" + bigEndian(static_cast<quint64>(i), 1).toHex() + ' ';
        }
        return bin(objects + "a0");
    }

private Q_SLOTS:
    // The two forms are read by separate code, so each checks the other in all 17 members.
    void bothFormsReadAsTheSameValuesAndNoneCutShort() {
        std::optional<PropertyListValue> values[2];
        for (int form = 0; form < 2; ++form) {
            // Without its final line break the XML is still whole.
            const QByteArray whole =
                test::readFixture(form == 0 ? u"Sample.xml.plist"_s : u"Sample.binary.plist"_s)
                    .trimmed();
            values[form] = PropertyListReader::parse(whole);
            for (qsizetype length = 0; length < whole.size(); ++length) {
                QVERIFY2(!PropertyListReader::parse(whole.first(length)),
                         qPrintable(u"form %1 cut at %2"_s.arg(form).arg(length)));
            }
        }
        QVERIFY(values[0] && values[0] == values[1]);
        QCOMPARE(values[0]->get<Dictionary>()->size(), std::size_t{17});
        QCOMPARE(*values[0]->member(u"CFBundleDisplayName"_s),
                 PropertyListValue(u"S\u00e4mple \u2713 \u6e38\u620f"_s));
        QCOMPARE(*values[0]->member(u"Versions"_s),
                 PropertyListValue(
                     Array{u"1.0"_s, Dictionary{{u"Nested"_s, Array{I{1}, I{2}}}}, u"1.0"_s}));
    }

    void binaryFormsPlistlibDoesNotWrite() {
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
            {bin("516b", 0, {}, 1), u"k"_s},
            {bin("516b", 0, {}, 8), u"k"_s}};
        for (const auto& [bytes, expected] : cases) {
            const auto value = PropertyListReader::parse(bytes);
            QVERIFY2(value && *value == expected, bytes.toHex().constData());
        }
    }

    void malformedListsYieldNothingAndLimitsAreInclusive() {
        QByteArrayList lists{"bplist00"_ba, "bplist01" + bin("516b").mid(8), bin("516b", 1),
                             bin("516b", 0, {}, 9)};
        // Trailer fields: offset width, reference width, object count, table offset.
        for (const auto& [position, value] :
             {std::pair(6, 0ULL), std::pair(7, 0ULL), std::pair(8, 0ULL), std::pair(8, ~0ULL),
              std::pair(8, 2ULL), std::pair(24, 1000ULL), std::pair(24, ~0ULL - 1),
              std::pair(24, 2ULL)}) {
            lists.append(bin("516b", 0, {{position, value}}));
        }
        // Strings running into the trailer or counted past the end, a length that is no integer,
        // references out of range or in a cycle, a key that is no string, null, an unknown type, an
        // integer beyond 64 bits, dates that are no number or out of range.
        for (const char* objects :
             {"5e61", "5f13ffffffffffffffff", "4f220000", "a105", "a100", "a101 a100",
              "d10100 516b", "d10101 1001", "00", "8001", "14010000000000000000000000000000"}) {
            lists.append(bin(objects));
        }
        lists << bin(date(std::nan(""))) << bin(date(1e300))
              << nestedBinary(PropertyListReader::maxNesting + 1);
        // Two levels each holding the next 250 times: 40 MB of strings from a file of 1 KB.
        lists.append(bin("af1100fa" + QByteArray(250, 1).toHex() + " af1100fa" +
                         QByteArray(250, 2).toHex() + " 5f110258" + QByteArray(600, 'x').toHex()));

        for (const char* body : {"", "<string>a</string><string>b</string>", "<color>red</color>",
                                 "<dict><key>a</key></dict>", "<dict><string>a</string></dict>",
                                 "<string>a<b/></string>", "<dict><key><b/></key><true/></dict>",
                                 "<integer>12x</integer>", "<integer>9223372036854775808</integer>",
                                 "<real>two</real>", "<date>yesterday</date>", "<data>!!!</data>",
                                 "<array><string>a</string>", "<true/></plist><plist><true/>"}) {
            lists.append("<plist>"_ba + body + "</plist>");
        }
        lists << QByteArray() << "\x01\xff\x00garbage<<"_ba
              << nestedXml(PropertyListReader::maxNesting + 1);
        for (const QByteArray& bytes : lists) {
            QVERIFY2(!PropertyListReader::parse(bytes), bytes.left(100).toHex().constData());
        }
        // Limits are inclusive.
        QVERIFY(PropertyListReader::parse(nestedBinary(PropertyListReader::maxNesting)));
        QVERIFY(PropertyListReader::parse(nestedXml(PropertyListReader::maxNesting)));
        // A bare value without the plist element, with its tags exactly as large as allowed.
        const QByteArray text(PropertyListReader::maxBytes - "<string></string>"_ba.size(), 'a');
        const auto value = PropertyListReader::parse("<string>" + text + "</string>");
        QVERIFY(value && *value == PropertyListValue(QString::fromLatin1(text)));
        QVERIFY(!PropertyListReader::parse("<string>a" + text + "</string>"));
    }
};

QTEST_GUILESS_MAIN(PropertyListReaderTest)
#include "PropertyListReaderTest.moc"
