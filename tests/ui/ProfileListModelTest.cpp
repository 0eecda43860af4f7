#include "support/AppStateFixture.h"
#include "support/SampleProfiles.h"
#include "support/Widgets.h"
#include "ui/ProfileListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace thrumwise;

namespace {

GameProfile withMappings(GameProfile profile, int count) {
    for (int i = 0; i < count; ++i) {
        profile.mappings.push_back(test::keyMapping("M" + std::to_string(i), 0, "wave"));
    }
    return profile;
}

// A model over a state holding A, B and C, watched by Qt's model tester and
// by spies on each kind of change.
struct Rig {
    test::AppStateFixture app;
    AppState& state = app.state();
    const GameProfile a = test::profile("A", "Alpha", "alpha");
    const GameProfile b = withMappings(test::profile("B", "Beta", "beta"), 1);
    const GameProfile c = withMappings(test::profile("C", "Gamma", "gamma"), 2);
    ProfileListModel model{state};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
    QSignalSpy changed{&model, &QAbstractItemModel::dataChanged};
    QSignalSpy inserted{&model, &QAbstractItemModel::rowsInserted};
    QSignalSpy removed{&model, &QAbstractItemModel::rowsRemoved};
    QSignalSpy reset{&model, &QAbstractItemModel::modelReset};

    Rig() {
        state.setProfiles({a, b, c});
        for (QSignalSpy* spy : {&changed, &inserted, &removed, &reset}) {
            spy->clear();
        }
    }

    QStringList names() const { return test::rowTexts(model); }
};

}  // namespace

class ProfileListModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsShowNameIdentifierAndMappingCount() {
        Rig rig;
        QCOMPARE(rig.names(), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta"),
                                           QStringLiteral("Gamma")}));
        const QModelIndex beta = rig.model.index(1);
        QCOMPARE(beta.data(ProfileListModel::IdRole).toString(), QStringLiteral("B"));
        QCOMPARE(beta.data(ProfileListModel::BundleIdRole).toString(), QStringLiteral("beta"));
        QCOMPARE(beta.data(ProfileListModel::MappingCountRole).toInt(), 1);
        QCOMPARE(ProfileListModel::mappingCountText(0), QStringLiteral("0 mappings"));
        QCOMPARE(ProfileListModel::mappingCountText(1), QStringLiteral("1 mapping"));
        QCOMPARE(ProfileListModel::mappingCountText(2), QStringLiteral("2 mappings"));
        QCOMPARE(rig.model.rowOf("C"), std::optional(2));
        QCOMPARE(rig.model.rowOf("Z"), std::nullopt);
    }

    // Each change is told as the smallest change the model can tell.
    void anEditUpdatesItsRowAndAdditionsAndDeletionsMoveOnlyTheirRows() {
        Rig rig;
        GameProfile renamed = rig.b;
        renamed.displayName = "Beta Prime";
        rig.state.setProfiles({rig.a, renamed, rig.c});
        QCOMPARE(rig.changed.count(), 1);
        QCOMPARE(rig.changed.at(0).at(0).toModelIndex().row(), 1);

        rig.state.setProfiles({rig.a, renamed, rig.c});  // the same list again: nothing
        QCOMPARE(rig.changed.count(), 1);

        const GameProfile d = test::profile("D", "Delta", "delta");
        rig.state.setProfiles({rig.a, renamed, rig.c, d, d});
        QCOMPARE(rig.inserted.count(), 1);
        QCOMPARE(rig.inserted.at(0).at(1).toInt(), 3);
        QCOMPARE(rig.inserted.at(0).at(2).toInt(), 4);

        rig.state.setProfiles({renamed, d});  // A, C and the second D go
        QCOMPARE(rig.removed.count(), 3);
        QCOMPARE(rig.names(), (QStringList{QStringLiteral("Beta Prime"), QStringLiteral("Delta")}));
        QCOMPARE(rig.reset.count(), 0);

        rig.state.setProfiles({d, renamed});  // a new order: only a reset says it
        QCOMPARE(rig.reset.count(), 1);
        QCOMPARE(rig.names(), (QStringList{QStringLiteral("Delta"), QStringLiteral("Beta Prime")}));
    }
};

QTEST_GUILESS_MAIN(ProfileListModelTest)
#include "ProfileListModelTest.moc"
