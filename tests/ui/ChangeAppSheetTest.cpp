#include "support/FixtureDesktop.h"
#include "support/Widgets.h"
#include "ui/ChangeAppSheet.h"

#include <QListView>
#include <QPushButton>
#include <QTest>

using namespace thrumwise;

class ChangeAppSheetTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Return does nothing until an application is picked; then it hands it over.
    void selectAppHandsThePickedApplicationOver() {
        test::FixtureDesktop desktop;
        QVERIFY(desktop.addEntry(QStringLiteral("arena.desktop"), "Arena", "ArenaGame"));
        std::vector<InstalledApp> selected;
        ChangeAppSheet sheet(desktop.apps, desktop.picker,
                             [&selected](const InstalledApp& app) { selected.push_back(app); });
        sheet.show();
        auto* list = sheet.findChild<QListView*>();
        QTRY_VERIFY(list->isVisible() && list->model()->rowCount() == 1);
        auto* select = test::withText<QPushButton>(sheet, QStringLiteral("Select App"));
        QVERIFY(!select->isEnabled());
        QTest::keyClick(&sheet, Qt::Key_Return);
        QVERIFY(sheet.isVisible());

        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(0, 0)).center());
        QTest::keyClick(&sheet, Qt::Key_Return);
        QCOMPARE(selected.size(), std::size_t{1});
        QCOMPARE(selected.front().bundleId, QStringLiteral("ArenaGame"));
        QCOMPARE(sheet.result(), int{QDialog::Accepted});
    }
};

QTEST_MAIN(ChangeAppSheetTest)
#include "ChangeAppSheetTest.moc"
