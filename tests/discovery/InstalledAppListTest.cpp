#include "FixtureFiles.h"
#include "discovery/InstalledAppList.h"

class InstalledAppListTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // By lower-cased, composed scalar values, not UTF-16 units or a locale's collation; equal names
    // keep their order, among enough entries that an unstable sort would reorder them.
    void keepsTheFirstOfEachIdentifierSortedByLowerCasedScalarValues() {
        const auto sorted = [](const QStringList& names) {
            std::vector<InstalledApp> apps;
            for (const QString& name : names) {
                apps.push_back({QString::number(apps.size()), name, QString()});
            }
            QStringList order;
            for (const InstalledApp& app : uniqueAppsSortedByName(std::move(apps))) {
                order.append(app.bundleId);
            }
            return order.join(u' ');
        };
        QCOMPARE(test::describe(uniqueAppsSortedByName(
                     {{u"x"_s, u"B"_s, {}}, {u"x"_s, u"A"_s, {}}, {u"X"_s, u"C"_s, {}}})),
                 u"x | B; X | C"_s);
        QCOMPARE(sorted({u"beta"_s, u"Alpha"_s, u"Zeta"_s, u"\U0001F600"_s, u"\uFF21"_s,
                         u"e\u0301"_s, u"f"_s, u"\u00e9t\u00e9"_s, u"zoo"_s}),
                 u"1 0 6 2 8 5 7 4 3"_s);
        QStringList names;
        QString expected[2];
        for (int i = 0; i < 102; ++i) {
            names.append(QStringList{u"Twin"_s, u"ab\u00e9"_s, u"TWIN"_s,
                                     u"abe\u0301"_s}[i % 2 + (i / 100) * 2]);
            expected[i % 2] += u" %1"_s.arg(i);
        }
        QCOMPARE(u' ' + sorted(names), expected[1] + expected[0]);
    }
};

QTEST_GUILESS_MAIN(InstalledAppListTest)
#include "InstalledAppListTest.moc"
