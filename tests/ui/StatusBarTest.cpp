#include "support/Widgets.h"

class StatusBarTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // At most one permission warning, Accessibility first; a failed save shows until retried.
    void followsTheStateAndActsOnItsButtons() {
        test::AppStateFixture app;
        AppState& state = app.state();
        std::vector<std::string> calls;
        const auto note = [&calls](const std::string& call) {
            calls.push_back(call);
        };
        StatusBar bar(state, {[&note] { note("recheck"); }, note});
        const auto shows = [&bar](const QString& text) {
            const auto* button = test::child<QPushButton>(bar, text);
            return test::shownTexts(bar).contains(text) || (button && button->isVisibleTo(&bar));
        };
        const QString accessibility = u"Accessibility not granted"_s;
        const QString inputMonitoring = u"Input Monitoring not granted"_s;
        const QString notSaved = u"Profiles not saved"_s;
        state.setInputMonitoringGranted(false);
        state.setAccessibilityGranted(false);
        QVERIFY(shows(accessibility) && !shows(inputMonitoring));
        state.setAccessibilityGranted(true);
        QVERIFY(!shows(accessibility) && shows(inputMonitoring));
        test::child<QPushButton>(bar, inputMonitoring)->click();

        const QString file = app.store.profilesFilePath();
        QVERIFY(!shows(notSaved) && QDir().mkpath(file));
        state.saveProfiles();
        QTRY_VERIFY(shows(notSaved));
        QVERIFY(QDir().rmdir(file));
        test::child<QPushButton>(bar, notSaved)->click();
        QTRY_VERIFY(!shows(notSaved));

        state.setPluginConnected(true);
        state.setLastInputEvent("⌨ Space");
        state.setFrontmostBundleId("org.example.Editor");
        QVERIFY(shows(u"Plugin Connected"_s) && shows(u"⌨ Space"_s));
        QVERIFY(test::child<QLabel>(bar, u"org.example.Editor")
                    ->textInteractionFlags()
                    .testFlag(Qt::TextSelectableByMouse));
        test::child<QPushButton>(bar, u"Create Profile")->click();
        QCOMPARE(calls, (std::vector<std::string>{"recheck", "org.example.Editor"}));
        state.setActiveProfile(test::profile("A", "Arena", "arena"));
        QVERIFY(shows(u"Arena"_s) && !shows(u"org.example.Editor"_s));
    }
};

QTEST_MAIN(StatusBarTest)
#include "StatusBarTest.moc"
