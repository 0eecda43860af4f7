#include "support/Widgets.h"

VIEW_SUITE(StatusBarTest)
// At most one permission warning, Accessibility first; a failed save shows until retried.
void followsTheStateAndActsOnItsButtons() {
    test::AppStateFixture app;
    AppState& state = app.state();
    std::vector<std::string> calls;
    StatusBar bar(state, {[&calls] { calls.emplace_back("recheck"); },
                          [&calls](const std::string& id) {
                              calls.push_back(id);
                          }});
    const auto shows = [&bar](const QString& text) {
        const auto* button = test::child<QPushButton>(bar, text);
        return test::shownTexts(bar).contains(text) || (button && button->isVisibleTo(&bar));
    };
    state.setInputMonitoringGranted(false);
    state.setAccessibilityGranted(false);
    QVERIFY(shows(u"Accessibility not granted"_s) && !shows(u"Input Monitoring not granted"_s));
    state.setAccessibilityGranted(true);
    QVERIFY(!shows(u"Accessibility not granted"_s) && shows(u"Input Monitoring not granted"_s));
    test::child<QPushButton>(bar, u"Input Monitoring not granted")->click();

    const QString file = app.store.profilesFilePath();
    QVERIFY(!shows(u"Profiles not saved"_s) && QDir().mkpath(file));
    state.saveProfiles();
    QTRY_VERIFY(shows(u"Profiles not saved"_s));
    QVERIFY(QDir().rmdir(file));
    test::child<QPushButton>(bar, u"Profiles not saved")->click();
    QTRY_VERIFY(!shows(u"Profiles not saved"_s));

    state.setPluginConnected(true);
    state.setLastInputEvent("⌨ Space");
    state.setFrontmostBundleId("org.example.Editor");
    QVERIFY(shows(u"Plugin Connected"_s) && shows(u"⌨ Space"_s));
    const auto* unmatched = test::child<QLabel>(bar, u"org.example.Editor");
    QVERIFY(unmatched->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    test::child<QPushButton>(bar, u"Create Profile")->click();
    QCOMPARE(calls, (std::vector<std::string>{"recheck", "org.example.Editor"}));
    state.setActiveProfile(test::profile("A", "Arena", "arena"));
    QVERIFY(shows(u"Arena"_s) && !shows(u"org.example.Editor"_s));
}
VIEW_SUITE_END(StatusBarTest)
#include "StatusBarTest.moc"
