#include "FixtureFiles.h"
#include "discovery/InstalledAppList.h"

#include <QTest>

using namespace thrumwise;

namespace {

std::vector<InstalledApp> named(const QStringList& names) {
    std::vector<InstalledApp> apps;
    for (const QString& name : names) {
        apps.push_back({QStringLiteral("id.%1").arg(apps.size()), name, QString()});
    }
    return apps;
}

QStringList names(const std::vector<InstalledApp>& apps) {
    QStringList result;
    for (const InstalledApp& app : apps) {
        result.append(app.displayName);
    }
    return result;
}

}  // namespace

class InstalledAppListTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theFirstEntryForAnIdentifierIsKept() {
        const std::vector<InstalledApp> apps{
            {QStringLiteral("x"), QStringLiteral("From Applications"), QStringLiteral("/A/X.app")},
            {QStringLiteral("y"), QStringLiteral("Other"), QStringLiteral("/A/Y.app")},
            {QStringLiteral("x"), QStringLiteral("A later copy"), QStringLiteral("/H/X.app")},
            {QStringLiteral("X"), QStringLiteral("Case differs"), QStringLiteral("/H/X2.app")},
        };
        QCOMPARE(test::describe(uniqueAppsSortedByName(apps)),
                 (QStringList{QStringLiteral("X | Case differs | /H/X2.app"),
                              QStringLiteral("x | From Applications | /A/X.app"),
                              QStringLiteral("y | Other | /A/Y.app")}));
    }

    void namesSortByLowerCasedScalarValues_data() {
        QTest::addColumn<QStringList>("input");
        QTest::addColumn<QStringList>("sorted");
        const QString decomposedE = QStringLiteral("e\u0301");
        QTest::newRow("letter case ignored")
            << QStringList{QStringLiteral("beta"), QStringLiteral("Alpha"), QStringLiteral("zeta")}
            << QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("zeta")};
        QTest::newRow("capitals after small letters when lower-cased")
            << QStringList{QStringLiteral("Zeta"), QStringLiteral("beta"), QStringLiteral("alpha")}
            << QStringList{QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("Zeta")};
        QTest::newRow("scalar values, not UTF-16 units")
            << QStringList{QStringLiteral("\U0001F600"), QStringLiteral("\uFF21")}
            << QStringList{QStringLiteral("\uFF21"), QStringLiteral("\U0001F600")};
        QTest::newRow("composed before comparing") << QStringList{decomposedE, QStringLiteral("f")}
                                                   << QStringList{QStringLiteral("f"), decomposedE};
        QTest::newRow("no locale's collation")
            << QStringList{QStringLiteral("\u00e9t\u00e9"), QStringLiteral("zoo")}
            << QStringList{QStringLiteral("zoo"), QStringLiteral("\u00e9t\u00e9")};
    }

    void namesSortByLowerCasedScalarValues() {
        QFETCH(QStringList, input);
        QFETCH(QStringList, sorted);
        QCOMPARE(names(uniqueAppsSortedByName(named(input))), sorted);
    }

    void equalNamesKeepTheirOrder() {
        // Enough entries that an unstable sort would reorder equal names.
        QStringList input;
        for (int i = 0; i < 100; ++i) {
            input.append(i % 2 == 0 ? QStringLiteral("Twin") : QStringLiteral("ab\u00e9"));
        }
        input.append({QStringLiteral("TWIN"), QStringLiteral("abe\u0301")});
        std::vector<InstalledApp> apps = named(input);
        QStringList expectedIds;
        for (const int parity : {1, 0}) {
            for (int i = 0; i < static_cast<int>(apps.size()); ++i) {
                if (i % 2 == parity) {
                    expectedIds.append(apps[static_cast<std::size_t>(i)].bundleId);
                }
            }
        }
        QStringList ids;
        for (const InstalledApp& app : uniqueAppsSortedByName(std::move(apps))) {
            ids.append(app.bundleId);
        }
        QCOMPARE(ids, expectedIds);
    }
};

QTEST_GUILESS_MAIN(InstalledAppListTest)
#include "InstalledAppListTest.moc"
