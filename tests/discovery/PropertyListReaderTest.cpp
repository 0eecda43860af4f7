#include "FixtureFiles.h"
#include "discovery/PropertyListReader.h"

#include <bit>
#include <cmath>
#include <tuple>

#include <QTest>

using namespace thrumwise;
using Dictionary = PropertyListValue::Dictionary;
using Array = PropertyListValue::Array;

namespace {

QByteArray bigEndian(quint64 value, int width) {
    QByteArray bytes;
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8) {
        bytes.append(shift >= 64 ? '\0' : static_cast<char>((value >> shift) & 0xFFU));
    }
    return bytes;
}

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray bytes;
    for (const int value : values) {
        bytes.append(static_cast<char>(value));
    }
    return bytes;
}

// A binary list of the given objects, numbered in order, with 1-byte references; `trailer`
// replaces trailer fields (byte position in the trailer -> value).
QByteArray binaryList(const QList<QByteArray>& objects, quint64 top = 0,
                      const QList<std::pair<int, quint64>>& trailer = {}, int offsetWidth = 2) {
    QByteArray bytes("bplist00");
    QByteArray table;
    for (const QByteArray& object : objects) {
        table += bigEndian(static_cast<quint64>(bytes.size()), offsetWidth);
        bytes += object;
    }
    const auto tableOffset = static_cast<quint64>(bytes.size());
    bytes += table;
    QByteArray tail = QByteArray(6, '\0') + bytesOf({offsetWidth, 1}) +
                      bigEndian(static_cast<quint64>(objects.size()), 8) + bigEndian(top, 8) +
                      bigEndian(tableOffset, 8);
    for (const auto& [position, value] : trailer) {
        const int width = position < 8 ? 1 : 8;
        tail.replace(position, width, bigEndian(value, width));
    }
    return bytes + tail;
}

QByteArray asciiString(const QByteArray& text) {
    return bytesOf({0x50 | static_cast<int>(text.size())}) + text;
}

// Arrays nested `depth` deep around an empty array.
QByteArray nestedXmlArrays(int depth) {
    return QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth);
}

QByteArray nestedBinaryArrays(int depth) {
    QList<QByteArray> objects;
    for (int i = 0; i + 1 < depth; ++i) {
        objects.append(bytesOf({0xA1, i + 1}));
    }
    objects.append(bytesOf({0xA0}));
    return binaryList(objects);
}

QByteArray xmlList(const QByteArray& body) {
    return R"(<?xml version="1.0"?><plist version="1.0">)" + body + "</plist>";
}

}  // namespace

class PropertyListReaderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void xmlAndBinaryFormsReadAsTheSameValues() {
        const PropertyListValue expected = Dictionary{
            {QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.example.Sample")},
            {QStringLiteral("CFBundleName"), QStringLiteral("Sample")},
            {QStringLiteral("CFBundleDisplayName"),
             QStringLiteral("S\u00e4mple \u2713 \u6e38\u620f")},
            {QStringLiteral("Small"), std::int64_t{7}},
            {QStringLiteral("Medium"), std::int64_t{300}},
            {QStringLiteral("Large"), std::int64_t{70000}},
            {QStringLiteral("Huge"), std::int64_t{5'000'000'000}},
            {QStringLiteral("Negative"), std::int64_t{-42}},
            {QStringLiteral("Real"), 2.5},
            {QStringLiteral("Enabled"), true},
            {QStringLiteral("Disabled"), false},
            {QStringLiteral("Created"), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC)},
            {QStringLiteral("Blob"), QByteArray("\x00\x01\xfe\xff", 4)},
            {QStringLiteral("Versions"),
             Array{QStringLiteral("1.0"),
                   Dictionary{{QStringLiteral("Nested"), Array{std::int64_t{1}, std::int64_t{2}}}},
                   QStringLiteral("1.0")}},
            {QStringLiteral("Empty"), Dictionary{}},
            {QStringLiteral("LongText"), QStringLiteral("a text longer than fifteen characters")},
            {QStringLiteral("Counted"),
             [] {
                 Array counted;
                 for (std::int64_t i = 0; i < 20; ++i) {
                     counted.emplace_back(i);
                 }
                 return counted;
             }()},
        };
        for (const char* fixture : {"Sample.xml.plist", "Sample.binary.plist"}) {
            const auto value = PropertyListReader::parse(test::readFixture(QLatin1String(fixture)));
            QVERIFY2(value.has_value(), fixture);
            QVERIFY2(*value == expected, fixture);
        }
    }

    void binaryFormsPlistlibDoesNotWrite() {
        const std::vector<std::tuple<const char*, QByteArray, PropertyListValue>> cases{
            {"4-byte real",
             binaryList({bytesOf({0x22}) + bigEndian(std::bit_cast<quint32>(1.5F), 4)}), 1.5},
            {"1-byte integers are unsigned", binaryList({bytesOf({0x10, 0xFF})}),
             std::int64_t{255}},
            {"4-byte integers are unsigned", binaryList({bytesOf({0x12, 0xFF, 0xFF, 0xFF, 0xFE})}),
             std::int64_t{0xFFFFFFFE}},
            {"negative 16-byte integer",
             binaryList({bytesOf({0x14}) + QByteArray(8, '\xFF') + bigEndian(quint64(-5), 8)}),
             std::int64_t{-5}},
            {"UTF-16 with a surrogate pair",
             binaryList({bytesOf({0x63, 0xD8, 0x3D, 0xDE, 0x00, 0x00, 0x41})}),
             QStringLiteral("\U0001F600A")},
            {"date before the reference date",
             binaryList({bytesOf({0x33}) + bigEndian(std::bit_cast<quint64>(-1.5), 8)}),
             QDateTime(QDate(2000, 12, 31), QTime(23, 59, 58, 500), Qt::UTC)},
            {"one object under two keys, a later key replacing an earlier",
             binaryList({bytesOf({0xD3, 1, 2, 1, 3, 3, 4}), asciiString("k"), asciiString("x"),
                         asciiString("v"), asciiString("w")}),
             Dictionary{{QStringLiteral("k"), QStringLiteral("w")},
                        {QStringLiteral("x"), QStringLiteral("v")}}},
            {"top object other than the first",
             binaryList({asciiString("no"), asciiString("yes")}, 1), QStringLiteral("yes")},
        };
        for (const auto& [name, bytes, expected] : cases) {
            const auto value = PropertyListReader::parse(bytes);
            QVERIFY2(value.has_value() && *value == expected, name);
        }
    }

    void malformedBinaryListsYieldNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QList<QByteArray> one{asciiString("ok")};
        for (const int offsetWidth : {1, 8}) {
            QVERIFY(PropertyListReader::parse(binaryList(one, 0, {}, offsetWidth)).has_value());
        }
        QTest::newRow("magic only") << QByteArray("bplist00");
        QTest::newRow("other version") << QByteArray("bplist01") + binaryList(one).mid(8);
        QTest::newRow("offset width 0") << binaryList(one, 0, {{6, 0}});
        QTest::newRow("offset width 9") << binaryList(one, 0, {}, 9);
        QTest::newRow("reference width 0") << binaryList(one, 0, {{7, 0}});
        QTest::newRow("no objects") << binaryList(one, 0, {{8, 0}});
        QTest::newRow("object count overflowing the table size")
            << binaryList(one, 0, {{8, ~0ULL}});
        QTest::newRow("object count past the table") << binaryList(one, 0, {{8, 2}});
        QTest::newRow("top object out of range") << binaryList(one, 1);
        QTest::newRow("table past the end") << binaryList(one, 0, {{24, 1000}});
        QTest::newRow("table offset overflowing") << binaryList(one, 0, {{24, ~0ULL - 1}});
        QTest::newRow("table inside the header") << binaryList(one, 0, {{24, 2}});
        QTest::newRow("string running into the trailer") << binaryList({bytesOf({0x5E, 'a'})});
        QTest::newRow("huge counted length")
            << binaryList({bytesOf({0x5F, 0x13}) + QByteArray(8, '\xFF')});
        QTest::newRow("length that is not an integer") << binaryList({bytesOf({0x4F, 0x22, 0, 0})});
        QTest::newRow("reference out of range") << binaryList({bytesOf({0xA1, 5})});
        QTest::newRow("array holding itself") << binaryList({bytesOf({0xA1, 0})});
        QTest::newRow("two arrays holding each other")
            << binaryList({bytesOf({0xA1, 1}), bytesOf({0xA1, 0})});
        QTest::newRow("dictionary holding itself")
            << binaryList({bytesOf({0xD1, 1, 0}), asciiString("k")});
        QTest::newRow("key that is not a string")
            << binaryList({bytesOf({0xD1, 1, 1}), bytesOf({0x10, 1})});
        QTest::newRow("null") << binaryList({bytesOf({0x00})});
        QTest::newRow("unknown type") << binaryList({bytesOf({0x80, 1})});
        QTest::newRow("16-byte integer beyond 64 bits")
            << binaryList({bytesOf({0x14, 1}) + QByteArray(15, '\0')});
        QTest::newRow("date that is not a number")
            << binaryList({bytesOf({0x33}) + bigEndian(std::bit_cast<quint64>(std::nan("")), 8)});
        QTest::newRow("date out of range")
            << binaryList({bytesOf({0x33}) + bigEndian(std::bit_cast<quint64>(1e300), 8)});
        QTest::newRow("too deeply nested")
            << nestedBinaryArrays(PropertyListReader::maxNesting + 1);
        // Each level holds the next 250 times: 250^3 strings from a file of 1 KB.
        QList<QByteArray> bomb;
        for (int level = 1; level <= 3; ++level) {
            bomb.append(bytesOf({0xAF, 0x11, 0x00, 250}) +
                        QByteArray(250, static_cast<char>(level)));
        }
        bomb.append(bytesOf({0x5F, 0x11, 0x03, 0xE8}) + QByteArray(1000, 'x'));
        QTest::newRow("shared objects expanding past the budget") << binaryList(bomb);
    }

    void malformedBinaryListsYieldNothing() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(PropertyListReader::parse(bytes).has_value(), false);
    }

    void everyTruncatedListYieldsNothing() {
        for (const char* fixture : {"Sample.xml.plist", "Sample.binary.plist"}) {
            QByteArray whole = test::readFixture(QLatin1String(fixture));
            if (whole.startsWith("<?xml")) {
                // Without its final line break the document is still whole.
                whole = whole.trimmed();
            }
            QVERIFY(PropertyListReader::parse(whole).has_value());
            for (qsizetype length = 0; length < whole.size(); ++length) {
                QVERIFY2(
                    !PropertyListReader::parse(whole.first(length)).has_value(),
                    qPrintable(
                        QStringLiteral("%1 cut at %2").arg(QLatin1String(fixture)).arg(length)));
            }
        }
    }

    void malformedXmlYieldsNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QVERIFY(PropertyListReader::parse(xmlList("<string>ok</string>")).has_value());
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << QByteArray("\x01\xff\x00garbage<<", 12);
        QTest::newRow("empty plist") << xmlList("");
        QTest::newRow("two values") << xmlList("<string>a</string><string>b</string>");
        QTest::newRow("unknown element") << xmlList("<color>red</color>");
        QTest::newRow("key without value") << xmlList("<dict><key>a</key></dict>");
        QTest::newRow("value without key") << xmlList("<dict><string>a</string></dict>");
        QTest::newRow("element inside a string") << xmlList("<string>a<b/></string>");
        QTest::newRow("element inside a key") << xmlList("<dict><key><b/></key><true/></dict>");
        QTest::newRow("integer with letters") << xmlList("<integer>12x</integer>");
        QTest::newRow("integer beyond 64 bits")
            << xmlList("<integer>9223372036854775808</integer>");
        QTest::newRow("real that is no number") << xmlList("<real>two</real>");
        QTest::newRow("date that is no date") << xmlList("<date>yesterday</date>");
        QTest::newRow("data that is not base64") << xmlList("<data>!!!</data>");
        QTest::newRow("unclosed element") << xmlList("<array><string>a</string>");
        QTest::newRow("second root") << xmlList("<true/>") + "<plist><true/></plist>";
        QTest::newRow("too deeply nested")
            << xmlList(nestedXmlArrays(PropertyListReader::maxNesting + 1));
        QTest::newRow("entities expanding without end") << QByteArray(
            "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaaaaaaaa\">"
            "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
            "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
            "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
            "<plist><string>&d;&d;&d;&d;&d;&d;&d;&d;</string></plist>");
    }

    void malformedXmlYieldsNothing() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(PropertyListReader::parse(bytes).has_value(), false);
    }

    void limitsAreInclusive() {
        QVERIFY(PropertyListReader::parse(nestedBinaryArrays(PropertyListReader::maxNesting)));
        QVERIFY(
            PropertyListReader::parse(xmlList(nestedXmlArrays(PropertyListReader::maxNesting))));
        // A bare value without the plist element, exactly as large as allowed.
        const QByteArray open("<string>");
        const QByteArray close("</string>");
        const QByteArray largest =
            open + QByteArray(PropertyListReader::maxBytes - open.size() - close.size(), 'a') +
            close;
        const auto value = PropertyListReader::parse(largest);
        QVERIFY(value.has_value());
        QCOMPARE(value->get<QString>()->size(), largest.size() - open.size() - close.size());
        QVERIFY(!PropertyListReader::parse(open + 'a' + largest.mid(open.size())));
    }
};

QTEST_GUILESS_MAIN(PropertyListReaderTest)
#include "PropertyListReaderTest.moc"
