#include "support/Widgets.h"

VIEW_SUITE(ProfileListModelTest)
void anEditUpdatesItsRowAndAdditionsAndDeletionsMoveOnlyTheirRows() {
    test::AppStateFixture app;
    const GameProfile a = test::profile("A", "A", "a"), c = test::profile("C", "C", "c"),
                      d = test::profile("D", "Delta", "delta");
    app.state().setProfiles({a, test::profile("B", "Beta", "beta"), c});
    ProfileListModel model{app.state()};
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
    QSignalSpy changed{&model, &QAbstractItemModel::dataChanged};
    QSignalSpy inserted{&model, &QAbstractItemModel::rowsInserted};
    QSignalSpy removed{&model, &QAbstractItemModel::rowsRemoved};
    QSignalSpy reset{&model, &QAbstractItemModel::modelReset};

    const GameProfile b = test::profile("B", "Beta Prime", "beta");  // the same profile, renamed
    app.state().setProfiles({a, b, c});
    app.state().setProfiles({a, b, c});  // the same list again: nothing
    QVERIFY(changed.count() == 1 && changed.at(0).at(0).toModelIndex().row() == 1);

    app.state().setProfiles({a, b, c, d, d});
    QVERIFY(inserted.count() == 1 && inserted.at(0).at(1) == 3 && inserted.at(0).at(2) == 4);

    app.state().setProfiles({b, d});  // A, C and the second D go
    QVERIFY(removed.count() == 3 && reset.count() == 0);
    QCOMPARE(test::rowTexts(model), (QStringList{u"Beta Prime"_s, u"Delta"_s}));

    app.state().setProfiles({d, b});  // a new order: only a reset says it
    QCOMPARE(reset.count(), 1);
    QCOMPARE(test::rowTexts(model), (QStringList{u"Delta"_s, u"Beta Prime"_s}));
}
VIEW_SUITE_END(ProfileListModelTest)
#include "ProfileListModelTest.moc"
