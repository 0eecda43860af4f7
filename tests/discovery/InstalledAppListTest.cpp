#include "FixtureFiles.h"
#include "discovery/InstalledAppList.h"

namespace {

// The positions of the names, in the order sorted.
QString sorted(const QStringList& names) {
    std::vector<InstalledApp> apps;
    for (const QString& name : names) {
        apps.push_back({QString::number(apps.size()), name, QString()});
    }
    QStringList order;
    for (const InstalledApp& app : uniqueAppsSortedByName(std::move(apps))) {
        order.append(app.bundleId);
    }
    return order.join(u' ');
}

}  // namespace

class InstalledAppListTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // By lower-cased, composed scalar values, not by UTF-16 units or a locale's collation; equal
    // names keep their order, also among enough entries that an unstable sort would reorder them.
    // The first entry for an identifier is kept, even when a later one sorts first.
    void keepsTheFirstOfEachIdentifierSortedByLowerCasedScalarValues() {
        QCOMPARE(test::describe(uniqueAppsSortedByName(
                     {{u"x"_s, u"B"_s, {}}, {u"x"_s, u"A"_s, {}}, {u"X"_s, u"C"_s, {}}})),
                 u"x | B; X | C"_s);
        QCOMPARE(sorted({u"beta"_s, u"Alpha"_s, u"Zeta"_s, u"\U0001F600"_s, u"\uFF21"_s,
                         u"e\u0301"_s, u"f"_s, u"\u00e9t\u00e9"_s, u"zoo"_s}),
                 u"1 0 6 2 8 5 7 4 3"_s);
        QStringList names;
        QString expected[2];
        for (int i = 0; i < 102; ++i) {
            names.append(i % 2 == 0 ? (i < 100 ? u"Twin"_s : u"TWIN"_s)
                                    : (i < 100 ? u"ab\u00e9"_s : u"abe\u0301"_s));
            expected[i % 2] += u" %1"_s.arg(i);
        }
        QCOMPARE(u' ' + sorted(names), expected[1] + expected[0]);
    }
};

QTEST_GUILESS_MAIN(InstalledAppListTest)
#include "InstalledAppListTest.moc"
