#include "model/GameProfile.h"
#include "model/IsoDate.h"

#include <QRegularExpression>
#include <QTest>

using namespace thrumwise;

class GameProfileTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aNewProfileIsEnabledEmptyAndDatedNow() {
        const Timestamp now = *parseIsoDate("2026-12-06T09:05:07Z") + std::chrono::milliseconds(5);
        const GameProfile profile = GameProfile::create("Arena", "com.example.arena", now);
        QVERIFY(profile.displayName == "Arena" && profile.bundleId == "com.example.arena");
        QVERIFY(profile.mappings.empty() && profile.isEnabled && !profile.blockPressmint);
        QVERIFY(profile.createdAt == now && profile.updatedAt == now);
        const QRegularExpression uuid(
            QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
        QVERIFY2(uuid.match(QString::fromStdString(profile.id)).hasMatch(), profile.id.c_str());
        QVERIFY(profile.id != GameProfile::create("Arena", "com.example.arena", now).id);
    }
};

QTEST_GUILESS_MAIN(GameProfileTest)
#include "GameProfileTest.moc"
