#include "model/GameProfile.h"
#include "model/Identifier.h"
#include "model/IsoDate.h"

#include <set>

#include <QRegularExpression>
#include <QTest>

using namespace thrumwise;

class GameProfileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void identifiersAreFreshUpperCaseUuids() {
        const QRegularExpression shape(
            QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
        std::set<std::string> seen;
        for (int i = 0; i < 100; ++i) {
            const std::string id = newIdentifier();
            QVERIFY2(shape.match(QString::fromStdString(id)).hasMatch(), id.c_str());
            seen.insert(id);
        }
        QCOMPARE(seen.size(), std::size_t{100});
    }

    void aNewProfileIsEnabledEmptyAndDatedNow() {
        const Timestamp now =
            *parseIsoDate("2026-12-06T09:05:07Z") + std::chrono::milliseconds(250);
        const GameProfile profile = GameProfile::create("Arena", "com.example.arena", now);
        QCOMPARE(profile.displayName, std::string("Arena"));
        QCOMPARE(profile.bundleId, std::string("com.example.arena"));
        QVERIFY(profile.mappings.empty());
        QVERIFY(profile.isEnabled);
        QVERIFY(!profile.blockPressmint);
        QVERIFY(profile.createdAt == now && profile.updatedAt == now);
        QVERIFY(profile.id != GameProfile::create("Arena", "com.example.arena", now).id);
    }
};

QTEST_GUILESS_MAIN(GameProfileTest)
#include "GameProfileTest.moc"
