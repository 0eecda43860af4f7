#include "support/Widgets.h"

VIEW_SUITE(InstalledAppsTest)
void eachScanAnswersWithItsNumberAndItsIcons() {
    test::FixtureDesktop desktop;
    QSignalSpy scanned(&desktop.apps, &InstalledApps::scanned);
    QSignalSpy iconsChanged(&desktop.apps, &InstalledApps::iconsChanged);
    QTRY_COMPARE(scanned.count(), 1);                 // the scan made at the start
    QVERIFY(desktop.apps.iconFor("Arena").isNull());  // remembered until the next scan
    const QString image = desktop.path(u"arena.png"_s);
    QImage pixels(16, 16, QImage::Format_RGB32);
    pixels.fill(Qt::red);
    QVERIFY(pixels.save(image) &&
            desktop.addEntry(u"arena.desktop"_s, "Arena\nIcon=" + image.toUtf8(), "Arena"));
    const std::uint64_t number = desktop.apps.scan();
    QTRY_COMPARE(scanned.count(), 2);
    QVERIFY(scanned.at(1).at(0).toULongLong() == number && iconsChanged.count() == 2);
    QVERIFY(!desktop.apps.iconFor("Arena").isNull() && desktop.apps.iconFor("Quest").isNull());
}
VIEW_SUITE_END(InstalledAppsTest)
#include "InstalledAppsTest.moc"
