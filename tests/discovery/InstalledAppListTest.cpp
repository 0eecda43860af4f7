#include "FixtureFiles.h"
#include "discovery/InstalledAppList.h"

namespace {

// Applications "id.<position>" of these names, listed in the order sorted.
QStringList sortedIds(const QStringList& names) {
    std::vector<InstalledApp> apps;
    for (const QString& name : names) {
        apps.push_back({u"id.%1"_s.arg(apps.size()), name, QString()});
    }
    QStringList ids;
    for (const InstalledApp& app : uniqueAppsSortedByName(std::move(apps))) {
        ids.append(app.bundleId);
    }
    return ids;
}

}  // namespace

class InstalledAppListTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theFirstEntryForAnIdentifierIsKept() {
        const std::vector<InstalledApp> apps{{u"x"_s, u"First"_s, u"/A/X.app"_s},
                                             {u"y"_s, u"Other"_s, u"/A/Y.app"_s},
                                             {u"x"_s, u"A later copy"_s, u"/H/X.app"_s},
                                             {u"X"_s, u"Case differs"_s, u"/H/X2.app"_s}};
        QCOMPARE(test::describe(uniqueAppsSortedByName(apps)),
                 u"X | Case differs | /H/X2.app; x | First | /A/X.app; y | Other | /A/Y.app"_s);
    }

    // By lower-cased, composed scalar values, not by a locale's collation.
    void namesSortByLowerCasedScalarValues() {
        const QString decomposedE = u"e\u0301"_s;
        QCOMPARE(sortedIds({u"beta"_s, u"Alpha"_s, u"zeta"_s}),
                 QStringList({u"id.1"_s, u"id.0"_s, u"id.2"_s}));
        QCOMPARE(sortedIds({u"Zeta"_s, u"beta"_s, u"alpha"_s}),
                 QStringList({u"id.2"_s, u"id.1"_s, u"id.0"_s}));
        QCOMPARE(sortedIds({u"\U0001F600"_s, u"\uFF21"_s}), QStringList({u"id.1"_s, u"id.0"_s}));
        QCOMPARE(sortedIds({decomposedE, u"f"_s}), QStringList({u"id.1"_s, u"id.0"_s}));
        QCOMPARE(sortedIds({u"\u00e9t\u00e9"_s, u"zoo"_s}), QStringList({u"id.1"_s, u"id.0"_s}));
    }

    void equalNamesKeepTheirOrder() {
        // Enough entries that an unstable sort would reorder equal names.
        QStringList names;
        QStringList expected[2];
        for (int i = 0; i < 102; ++i) {
            names.append(i % 2 == 0 ? (i < 100 ? u"Twin"_s : u"TWIN"_s)
                                    : (i < 100 ? u"ab\u00e9"_s : u"abe\u0301"_s));
            expected[i % 2].append(u"id.%1"_s.arg(i));
        }
        QCOMPARE(sortedIds(names), expected[1] + expected[0]);
    }
};

QTEST_GUILESS_MAIN(InstalledAppListTest)
#include "InstalledAppListTest.moc"
