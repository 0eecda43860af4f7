#include "support/Widgets.h"
#include "ui/StatusBar.h"

using namespace thrumwise;
using namespace Qt::StringLiterals;

namespace {

const QString kAccessibility = u"Accessibility not granted"_s;
const QString kInputMonitoring = u"Input Monitoring not granted"_s;
const QString kNotSaved = u"Profiles not saved"_s;

bool shows(const StatusBar& bar, const QString& text) {
    const auto* button = test::child<QPushButton>(bar, text);
    return test::shownTexts(bar).contains(text) || (button && button->isVisibleTo(&bar));
}

}  // namespace

class StatusBarTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // At most one permission warning: Accessibility first.
    void showsOneWarningAtATime() {
        test::AppStateFixture app;
        int rechecks = 0;
        StatusBar bar(app.state(), {[&rechecks] { ++rechecks; },
                                    [](const std::string&) {
                                    }});
        app.state().setInputMonitoringGranted(false);
        app.state().setAccessibilityGranted(false);
        QVERIFY(shows(bar, kAccessibility) && !shows(bar, kInputMonitoring));
        app.state().setAccessibilityGranted(true);
        QVERIFY(!shows(bar, kAccessibility) && shows(bar, kInputMonitoring));
        test::child<QPushButton>(bar, kInputMonitoring)->click();
        QCOMPARE(rechecks, 1);

        const QString file = app.store.profilesFilePath();
        QVERIFY(!shows(bar, kNotSaved) && QDir().mkpath(file));
        app.state().saveProfiles();
        QTRY_VERIFY(shows(bar, kNotSaved));
        QVERIFY(QDir().rmdir(file));
        test::child<QPushButton>(bar, kNotSaved)->click();
        QTRY_VERIFY(!shows(bar, kNotSaved));
    }

    void followsThePluginTheInputAndTheApplicationInFront() {
        test::AppStateFixture app;
        std::vector<std::string> created;
        StatusBar bar(app.state(), {[] {},
                                    [&created](const std::string& id) {
                                        created.push_back(id);
                                    }});
        app.state().setPluginConnected(true);
        app.state().setLastInputEvent("⌨ Space");
        app.state().setFrontmostBundleId("org.example.Editor");
        QVERIFY(shows(bar, u"Plugin Connected"_s) && shows(bar, u"⌨ Space"_s));
        QVERIFY(test::child<QLabel>(bar, u"org.example.Editor")
                    ->textInteractionFlags()
                    .testFlag(Qt::TextSelectableByMouse));
        test::child<QPushButton>(bar, u"Create Profile")->click();
        QCOMPARE(created, std::vector<std::string>{"org.example.Editor"});
        app.state().setActiveProfile(test::profile("A", "Arena", "arena"));
        QVERIFY(shows(bar, u"Arena"_s) && !shows(bar, u"org.example.Editor"_s));
    }
};

QTEST_MAIN(StatusBarTest)
#include "StatusBarTest.moc"
