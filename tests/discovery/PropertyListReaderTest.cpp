#include "FixtureFiles.h"
#include "discovery/PropertyListReader.h"

#include <bit>
#include <cmath>

#include <QTest>

using namespace thrumwise;
using Dictionary = PropertyListValue::Dictionary;
using Array = PropertyListValue::Array;
using I = std::int64_t;

namespace {

QByteArray h(const char* hex) {
    return QByteArray::fromHex(hex);
}

QByteArray bigEndian(quint64 value, int width) {
    QByteArray bytes;
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) {
        bytes.append(shift >= 64 ? '\0' : static_cast<char>((value >> shift) & 0xFFU));
    }
    return bytes;
}

QByteArray real(double value) {
    return bigEndian(std::bit_cast<quint64>(value), 8);
}

// A binary list of the objects, numbered in order, with 1-byte references; `trailer` replaces
// trailer fields (byte position in the trailer -> value).
QByteArray binaryList(const QByteArrayList& objects, quint64 top = 0,
                      const QList<std::pair<int, quint64>>& trailer = {}, int offsetWidth = 2) {
    QByteArray bytes("bplist00");
    QByteArray table;
    for (const QByteArray& object : objects) {
        table += bigEndian(static_cast<quint64>(bytes.size()), offsetWidth);
        bytes += object;
    }
    QByteArray tail = QByteArray(6, '\0') + char(offsetWidth) + '\1' +
                      bigEndian(static_cast<quint64>(objects.size()), 8) + bigEndian(top, 8) +
                      bigEndian(static_cast<quint64>(bytes.size()), 8);
    for (const auto& [position, value] : trailer) {
        const int width = position < 8 ? 1 : 8;
        tail.replace(position, width, bigEndian(value, width));
    }
    return bytes + table + tail;
}

QByteArray nestedXml(int depth) {
    return "<plist>" + QByteArray("<array>").repeated(depth) +
           QByteArray("</array>").repeated(depth) + "</plist>";
}

// Arrays nested `depth` deep around an empty array.
QByteArray nestedBinary(int depth) {
    QByteArrayList objects;
    for (int i = 1; i < depth; ++i) {
        objects.append(h("a1") + char(i));
    }
    return binaryList(objects << h("a0"));
}

}  // namespace

class PropertyListReaderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void xmlAndBinaryFormsReadAsTheSameValues() {
        Array counted;
        for (I i = 0; i < 20; ++i) {
            counted.emplace_back(i);
        }
        const PropertyListValue expected =
            Dictionary{{u"CFBundleIdentifier"_s, u"com.example.Sample"_s},
                       {u"CFBundleName"_s, u"Sample"_s},
                       {u"CFBundleDisplayName"_s, u"S\u00e4mple \u2713 \u6e38\u620f"_s},
                       {u"Small"_s, I{7}},
                       {u"Medium"_s, I{300}},
                       {u"Large"_s, I{70000}},
                       {u"Huge"_s, I{5'000'000'000}},
                       {u"Negative"_s, I{-42}},
                       {u"Real"_s, 2.5},
                       {u"Enabled"_s, true},
                       {u"Disabled"_s, false},
                       {u"Created"_s, QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC)},
                       {u"Blob"_s, h("0001feff")},
                       {u"Empty"_s, Dictionary{}},
                       {u"Counted"_s, counted},
                       {u"Versions"_s,
                        Array{u"1.0"_s, Dictionary{{u"Nested"_s, Array{I{1}, I{2}}}}, u"1.0"_s}},
                       {u"LongText"_s, u"a text longer than fifteen characters"_s}};
        for (const QString& fixture : {u"Sample.xml.plist"_s, u"Sample.binary.plist"_s}) {
            // Without its final line break the XML is still whole.
            const QByteArray whole = test::readFixture(fixture).trimmed();
            const auto value = PropertyListReader::parse(whole);
            QVERIFY2(value && *value == expected, qPrintable(fixture));
            for (qsizetype length = 0; length < whole.size(); ++length) {
                QVERIFY2(!PropertyListReader::parse(whole.first(length)),
                         qPrintable(fixture + u" cut at %1"_s.arg(length)));
            }
        }
    }

    void binaryFormsPlistlibDoesNotWrite() {
        const std::vector<std::tuple<const char*, QByteArray, PropertyListValue>> cases{
            {"4-byte real", binaryList({h("22 3fc00000")}), 1.5},
            {"1-byte integers are unsigned", binaryList({h("10ff")}), I{255}},
            {"4-byte integers are unsigned", binaryList({h("12fffffffe")}), I{0xFFFFFFFE}},
            {"negative 16-byte integer", binaryList({h("14 ffffffffffffffff fffffffffffffffb")}),
             I{-5}},
            {"UTF-16 with a surrogate pair", binaryList({h("63 d83dde00 0041")}), u"\U0001F600A"_s},
            {"date before the reference date", binaryList({h("33") + real(-1.5)}),
             QDateTime(QDate(2000, 12, 31), QTime(23, 59, 58, 500), Qt::UTC)},
            {"one object under two keys, a later key replacing an earlier",
             binaryList({h("d3 010201 030304"), h("516b"), h("5178"), h("5176"), h("5177")}),
             Dictionary{{u"k"_s, u"w"_s}, {u"x"_s, u"v"_s}}},
            {"top object other than the first", binaryList({h("526e6f"), h("53796573")}, 1),
             u"yes"_s},
            {"offset width 1", binaryList({h("516b")}, 0, {}, 1), u"k"_s},
            {"offset width 8", binaryList({h("516b")}, 0, {}, 8), u"k"_s},
        };
        for (const auto& [name, bytes, expected] : cases) {
            const auto value = PropertyListReader::parse(bytes);
            QVERIFY2(value && *value == expected, name);
        }
    }

    void malformedListsYieldNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArrayList one{h("516b")};
        QTest::newRow("magic only") << "bplist00"_ba;
        QTest::newRow("other version") << "bplist01" + binaryList(one).mid(8);
        QTest::newRow("offset width 0") << binaryList(one, 0, {{6, 0}});
        QTest::newRow("offset width 9") << binaryList(one, 0, {}, 9);
        QTest::newRow("reference width 0") << binaryList(one, 0, {{7, 0}});
        QTest::newRow("no objects") << binaryList(one, 0, {{8, 0}});
        QTest::newRow("object count overflowing the table") << binaryList(one, 0, {{8, ~0ULL}});
        QTest::newRow("object count past the table") << binaryList(one, 0, {{8, 2}});
        QTest::newRow("top object out of range") << binaryList(one, 1);
        QTest::newRow("table past the end") << binaryList(one, 0, {{24, 1000}});
        QTest::newRow("table offset overflowing") << binaryList(one, 0, {{24, ~0ULL - 1}});
        QTest::newRow("table inside the header") << binaryList(one, 0, {{24, 2}});
        QTest::newRow("string running into the trailer") << binaryList({h("5e61")});
        QTest::newRow("huge counted length") << binaryList({h("5f13 ffffffffffffffff")});
        QTest::newRow("length that is not an integer") << binaryList({h("4f 22 0000")});
        QTest::newRow("reference out of range") << binaryList({h("a105")});
        QTest::newRow("array holding itself") << binaryList({h("a100")});
        QTest::newRow("two arrays holding each other") << binaryList({h("a101"), h("a100")});
        QTest::newRow("dictionary holding itself") << binaryList({h("d10100"), h("516b")});
        QTest::newRow("key that is not a string") << binaryList({h("d10101"), h("1001")});
        QTest::newRow("null") << binaryList({h("00")});
        QTest::newRow("unknown type") << binaryList({h("8001")});
        QTest::newRow("16-byte integer beyond 64 bits")
            << binaryList({h("14 01") + QByteArray(15, 0)});
        QTest::newRow("date that is not a number") << binaryList({h("33") + real(std::nan(""))});
        QTest::newRow("date out of range") << binaryList({h("33") + real(1e300)});
        QTest::newRow("too deeply nested") << nestedBinary(PropertyListReader::maxNesting + 1);
        // Each level holds the next 250 times: 250^3 strings from a file of 1 KB.
        QByteArrayList bomb;
        for (char level = 1; level <= 3; ++level) {
            bomb.append(h("af 1100 fa") + QByteArray(250, level));
        }
        QTest::newRow("shared objects expanding past the budget")
            << binaryList(bomb << h("5f 1103e8") + QByteArray(1000, 'x'));

        const auto xml = [](const QByteArray& body) {
            return "<plist>" + body + "</plist>";
        };
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << "\x01\xff\x00garbage<<"_ba;
        QTest::newRow("empty plist") << xml("");
        QTest::newRow("two values") << xml("<string>a</string><string>b</string>");
        QTest::newRow("unknown element") << xml("<color>red</color>");
        QTest::newRow("key without value") << xml("<dict><key>a</key></dict>");
        QTest::newRow("value without key") << xml("<dict><string>a</string></dict>");
        QTest::newRow("element inside a string") << xml("<string>a<b/></string>");
        QTest::newRow("element inside a key") << xml("<dict><key><b/></key><true/></dict>");
        QTest::newRow("integer with letters") << xml("<integer>12x</integer>");
        QTest::newRow("integer beyond 64 bits") << xml("<integer>9223372036854775808</integer>");
        QTest::newRow("real that is no number") << xml("<real>two</real>");
        QTest::newRow("date that is no date") << xml("<date>yesterday</date>");
        QTest::newRow("data that is not base64") << xml("<data>!!!</data>");
        QTest::newRow("unclosed element") << xml("<array><string>a</string>");
        QTest::newRow("second root") << xml("<true/>") + xml("<true/>");
        QTest::newRow("XML too deeply nested") << nestedXml(PropertyListReader::maxNesting + 1);
        QByteArray entities =
            "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaaaaaaaa\">";
        for (const char* level : {"ba", "cb", "dc"}) {
            entities +=
                "<!ENTITY "_ba + level[0] + " \"" + ("&"_ba + level[1] + ';').repeated(16) + "\">";
        }
        QTest::newRow("entities expanding without end")
            << entities + xml("&d;&d;&d;&d;&d;&d;&d;&d;");
    }

    void malformedListsYieldNothing() {
        QFETCH(QByteArray, bytes);
        QVERIFY(!PropertyListReader::parse(bytes));
    }

    void limitsAreInclusive() {
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
