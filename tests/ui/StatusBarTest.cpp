#include "support/Widgets.h"
#include "ui/StatusBar.h"

using namespace thrumwise;
using namespace Qt::StringLiterals;

namespace {

const QString kAccessibility = u"Accessibility not granted"_s;
const QString kInputMonitoring = u"Input Monitoring not granted"_s;
const QString kNotSaved = u"Profiles not saved"_s;

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
        const auto* button = test::child<QPushButton>(bar, text);
        return test::shownTexts(bar).contains(text) || (button && button->isVisibleTo(&bar));
    }
};

}  // namespace

class StatusBarTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // At most one permission warning, Accessibility first; a click checks again.
    void showsOnePermissionWarningAtATime() {
        Rig rig;
        const std::tuple<bool, bool, QString> cases[] = {{false, false, kAccessibility},
                                                         {false, true, kAccessibility},
                                                         {true, false, kInputMonitoring},
                                                         {true, true, QString()}};
        for (const auto& [accessibility, inputMonitoring, warning] : cases) {
            rig.state.setAccessibilityGranted(accessibility);
            rig.state.setInputMonitoringGranted(inputMonitoring);
            QCOMPARE(rig.shows(kAccessibility), warning == kAccessibility);
            QCOMPARE(rig.shows(kInputMonitoring), warning == kInputMonitoring);
        }
        rig.state.setInputMonitoringGranted(false);
        test::child<QPushButton>(rig.bar, kInputMonitoring)->click();
        QCOMPARE(rig.rechecks, 1);
    }

    // Only while no profile is active is the application in front offered
    // one, its identifier selectable.
    void followsThePluginTheInputAndTheApplicationInFront() {
        Rig rig;
        rig.state.setPluginConnected(true);
        rig.state.setLastInputEvent("⌨ Space");
        rig.state.setFrontmostBundleId("org.example.Editor");
        QVERIFY(rig.shows(u"Plugin Connected"_s) && rig.shows(u"⌨ Space"_s));
        QVERIFY(test::child<QLabel>(rig.bar, u"org.example.Editor")
                    ->textInteractionFlags()
                    .testFlag(Qt::TextSelectableByMouse));
        test::child<QPushButton>(rig.bar, u"Create Profile")->click();
        QCOMPARE(rig.created, std::vector<std::string>{"org.example.Editor"});
        rig.state.setActiveProfile(test::profile("A", "Arena", "arena"));
        QVERIFY(rig.shows(u"Arena"_s) && !rig.shows(u"org.example.Editor"_s));
    }

    // A failed save shows until a save succeeds; its title tries again.
    void aFailedSaveIsShownUntilASaveSucceeds() {
        Rig rig;
        const QString file = rig.app.store.profilesFilePath();
        QVERIFY(!rig.shows(kNotSaved) && QDir().mkpath(file));
        rig.state.saveProfiles();
        QTRY_VERIFY(rig.shows(kNotSaved));
        QVERIFY(QDir().rmdir(file));
        test::child<QPushButton>(rig.bar, kNotSaved)->click();
        QTRY_VERIFY(!rig.shows(kNotSaved));
    }
};

QTEST_MAIN(StatusBarTest)
#include "StatusBarTest.moc"
