#include "support/Widgets.h"

VIEW_SUITE(MainWindowTest)
// The list moving its own selection as a row goes is no pick of the user; a
// profile made from the status panel is not selected.
void theDetailFollowsTheSelectionAndTheToolbarActs() {
    test::FixtureDesktop desktop;
    AppState& state = desktop.app.state();
    MainWindow window{desktop.services(), {}};
    state.setProfiles({test::profile("A", "Arena", "arena"), test::profile("Q", "Quest", "q")});
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const auto shown = [&window] {
        const auto* editor =
            qobject_cast<ProfileEditorView*>(window.findChild<QStackedWidget*>()->currentWidget());
        return editor != nullptr ? editor->profileId() : std::string();
    };
    auto& list = *window.findChild<QListView*>();
    test::clickRow(list, 1);
    QCOMPARE(shown(), std::string("Q"));
    state.deleteProfile("Q");
    QVERIFY(shown().empty() && window.selectedProfileId() == "Q");
    test::clickRow(list, 0);
    QCOMPARE(shown(), std::string("A"));
    test::child<QPushButton>(window, u"Delete")->click();
    test::child<QPushButton>(*window.findChild<QMessageBox*>(), u"Delete")->click();
    QVERIFY(shown().empty() && !window.selectedProfileId());

    QSignalSpy settings(&window, &MainWindow::settingsRequested);
    QTest::keyClick(&window, Qt::Key_Comma, Qt::ControlModifier);
    QCOMPARE(settings.count(), 1);
    state.setFrontmostBundleId("org.example.Editor");
    test::child<QPushButton>(window, u"Create Profile")->click();
    auto* add = test::child<QPushButton>(*window.findChild<AddProfileSheet*>(), u"Add Profile");
    QTRY_VERIFY(add->isEnabled());
    add->click();
    QVERIFY(state.profiles().back().bundleId == "org.example.Editor" &&
            !window.selectedProfileId());
    auto* toggle = test::child<QToolButton>(window, u"Enabled");
    toggle->click();
    QVERIFY(!state.isEnabled() && !toggle->isChecked());
    state.setEnabled(true);
    QVERIFY(toggle->isChecked() && toggle->text() == u"Enabled");
}
VIEW_SUITE_END(MainWindowTest)
#include "MainWindowTest.moc"
