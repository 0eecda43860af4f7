#include "support/AppStateFixture.h"
#include "support/SampleProfiles.h"
#include "support/Widgets.h"
#include "ui/StatusBar.h"

#include <QDir>
#include <QPushButton>
#include <QTest>

using namespace thrumwise;

namespace {

const QString kAccessibility = QStringLiteral("Accessibility not granted");
const QString kInputMonitoring = QStringLiteral("Input Monitoring not granted");
const QString kNotSaved = QStringLiteral("Profiles not saved");

struct Rig {
    test::AppStateFixture app;
    AppState& state = app.state();
    int rechecks = 0;
    std::vector<std::string> created;
    StatusBar bar{state,
                  {[this] { ++rechecks; },
                   [this](const std::string& bundleId) {
                       created.push_back(bundleId);
                   }}};

    bool shows(const QString& text) const {
        return test::shownTexts(bar).contains(text) || test::showsButton(bar, text);
    }
};

}  // namespace

class StatusBarTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // At most one permission warning: Accessibility first; each checks again.
    void showsOnePermissionWarningAtATime() {
        Rig rig;
        struct Case {
            bool accessibility;
            bool inputMonitoring;
            bool showsAccessibility;
            bool showsInputMonitoring;
        };
        for (const Case& flags : {Case{false, false, true, false}, Case{false, true, true, false},
                                  Case{true, false, false, true}, Case{true, true, false, false}}) {
            rig.state.setAccessibilityGranted(flags.accessibility);
            rig.state.setInputMonitoringGranted(flags.inputMonitoring);
            QCOMPARE(rig.shows(kAccessibility), flags.showsAccessibility);
            QCOMPARE(rig.shows(kInputMonitoring), flags.showsInputMonitoring);
        }
        rig.state.setInputMonitoringGranted(false);
        test::withText<QPushButton>(rig.bar, kInputMonitoring)->click();
        QCOMPARE(rig.rechecks, 1);
    }

    void followsThePluginTheActiveProfileAndTheLastInput() {
        Rig rig;
        QVERIFY(rig.shows(QStringLiteral("Plugin Not Found")));
        rig.state.setPluginConnected(true);
        QVERIFY(rig.shows(QStringLiteral("Plugin Connected")));
        QVERIFY(!rig.shows(QStringLiteral("Plugin Not Found")));

        QVERIFY(!rig.shows(QStringLiteral("Arena")));
        rig.state.setActiveProfile(test::profile("A", "Arena", "arena"));
        QVERIFY(rig.shows(QStringLiteral("Arena")));
        rig.state.setLastInputEvent("⌨ Space");
        QVERIFY(rig.shows(QStringLiteral("⌨ Space")));
    }

    // Only with no active profile; its identifier can be taken from there.
    void theUnmatchedApplicationOffersAProfile() {
        Rig rig;
        rig.state.setFrontmostBundleId("org.example.Editor");
        QVERIFY(rig.shows(QStringLiteral("No profile matched:")));
        QVERIFY(rig.shows(QStringLiteral("org.example.Editor")));
        test::withText<QPushButton>(rig.bar, QStringLiteral("Create Profile"))->click();
        QCOMPARE(rig.created, std::vector<std::string>{"org.example.Editor"});
        QVERIFY(test::withText<QLabel>(rig.bar, QStringLiteral("org.example.Editor"))
                    ->textInteractionFlags()
                    .testFlag(Qt::TextSelectableByMouse));

        rig.state.setActiveProfile(test::profile("A", "Arena", "arena"));
        QVERIFY(!rig.shows(QStringLiteral("No profile matched:")));
        QVERIFY(!rig.shows(QStringLiteral("org.example.Editor")));
    }

    // A failed save shows its reason until a save succeeds; the title retries.
    void aFailedSaveIsShownUntilASaveSucceeds() {
        Rig rig;
        QVERIFY(!rig.shows(kNotSaved));
        const QString file = rig.app.store.profilesFilePath();
        QVERIFY(QDir().mkpath(file));
        rig.state.saveProfiles();
        QTRY_VERIFY(rig.shows(kNotSaved));
        QVERIFY(QDir().rmdir(file));
        test::withText<QPushButton>(rig.bar, kNotSaved)->click();
        QTRY_VERIFY(!rig.shows(kNotSaved));
    }
};

QTEST_MAIN(StatusBarTest)
#include "StatusBarTest.moc"
