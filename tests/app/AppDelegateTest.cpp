#include "app/AppDelegate.h"
#include "apps/AppMonitor.h"
#include "input/InputMonitor.h"
#include "platform/FrontmostApplicationSource.h"
#include "platform/PermissionProbe.h"
#include "support/AppStateFixture.h"
#include "support/FakeEventSource.h"
#include "support/ManualTimerFactory.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace thrumwise;

namespace {

class FakePermissions final : public PermissionProbe {
public:
    bool isAccessibilityGranted() override { return accessibility; }
    bool isInputMonitoringGranted() override { return inputMonitoring; }
    bool accessibility = true;
    bool inputMonitoring = true;
};

class NoFrontmostApplication final : public FrontmostApplicationSource {
public:
    std::optional<FrontmostApplication> frontmostApplication() override { return std::nullopt; }
};

}  // namespace

class AppDelegateTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::AppStateFixture> app_;
    std::unique_ptr<test::FakeEventSource> source_;
    std::unique_ptr<InputMonitor> inputMonitor_;
    std::unique_ptr<NoFrontmostApplication> frontmost_;
    std::unique_ptr<test::ManualTimerFactory> timers_;
    std::unique_ptr<AppMonitor> appMonitor_;
    std::unique_ptr<FakePermissions> permissions_;
    std::unique_ptr<AppDelegate> delegate_;
    std::vector<std::string> steps_;

    test::LogRecorder& log() { return app_->log; }

    void launch() {
        delegate_->applicationDidFinishLaunching();
        log().clear();
    }
    void poll() {
        timers_->tick(1);  // 0 is the frontmost poll, started first
        QCoreApplication::sendPostedEvents();
    }

private Q_SLOTS:
    void init() {
        app_ = std::make_unique<test::AppStateFixture>();
        source_ = std::make_unique<test::FakeEventSource>();
        inputMonitor_ = std::make_unique<InputMonitor>(*source_, app_->state(), log().logger());
        frontmost_ = std::make_unique<NoFrontmostApplication>();
        timers_ = std::make_unique<test::ManualTimerFactory>();
        appMonitor_ =
            std::make_unique<AppMonitor>(*frontmost_, app_->state(), *timers_, log().logger());
        permissions_ = std::make_unique<FakePermissions>();
        steps_.clear();
        delegate_ = std::make_unique<AppDelegate>(AppDelegate::Services{
            app_->state(), *inputMonitor_, *appMonitor_, *permissions_, *timers_, log().logger(),
            [this] {
                steps_.push_back("services");
                log().logger().log("(services)");
            },
            [this] {
                steps_.push_back("update");
                log().logger().log("(update)");
            }});
    }

    // Users before what they use.
    void cleanup() {
        delegate_.reset();
        appMonitor_.reset();
        inputMonitor_.reset();
    }

    void launchingStartsEverythingInOrder() {
        permissions_->accessibility = false;
        permissions_->inputMonitoring = false;
        delegate_->applicationDidFinishLaunching();
        const auto lines = log().lines();
        const std::vector<std::string> expected{
            "[Thrumwise] Accessibility permissions required for input monitoring", "(services)",
            "[InputMonitor] Started monitoring keyboard and mouse input",
            "[AppMonitor] Started monitoring frontmost application", "(update)"};
        QVERIFY2(std::search(lines.begin(), lines.end(), expected.begin(), expected.end()) !=
                     lines.end(),
                 "launch steps out of order");
        QVERIFY(!app_->state().isInputMonitoringGranted());
        QCOMPARE(timers_->at(1).interval, std::chrono::milliseconds(3000));
    }

    void withBothPermissionsLaunchingSaysNothingAboutThem() {
        delegate_->applicationDidFinishLaunching();
        QCOMPARE(log().count("[Thrumwise] Accessibility permissions required for input monitoring"),
                 std::size_t{0});
        QVERIFY(app_->state().isInputMonitoringGranted());
        QVERIFY(inputMonitor_->isMonitoring());
        poll();  // the first poll leaves a running capture alone
        QCOMPARE(source_->startCount, 1);
        QCOMPARE(source_->stopCount, 0);
    }

    void thePermissionPollRestartsCaptureAsPermissionsArrive() {
        permissions_->accessibility = false;
        permissions_->inputMonitoring = false;
        source_->startSucceeds = false;
        launch();

        poll();  // not trusted: nothing happens to capture
        QCOMPARE(source_->startCount, 1);
        QVERIFY(!app_->state().isAccessibilityGranted());

        permissions_->accessibility = true;
        source_->startSucceeds = true;
        poll();  // trusted, no capture yet: start
        QCOMPARE(source_->startCount, 2);
        QVERIFY(app_->state().isAccessibilityGranted());

        poll();  // trusted, input monitoring still missing, capture running: nothing
        QCOMPARE(source_->startCount, 2);

        permissions_->inputMonitoring = true;
        poll();  // granted since the last check: stop, then start once
        QCOMPARE(source_->stopCount, 1);
        QCOMPARE(source_->startCount, 3);
        QVERIFY(app_->state().isInputMonitoringGranted());

        poll();  // granted before and now: nothing more
        QCOMPARE(source_->startCount, 3);

        permissions_->accessibility = false;  // revoked: reflected, capture left alone
        poll();
        QVERIFY(!app_->state().isAccessibilityGranted());
        QVERIFY(inputMonitor_->isMonitoring());
    }

    void theMenuHasItsItemsAndShortcuts() {
        launch();
        QStringList entries;
        for (QAction* action : delegate_->statusMenu()->actions()) {
            entries << (action->isSeparator()
                            ? QStringLiteral("-")
                            : action->text() + QLatin1Char(' ') +
                                  action->shortcut().toString(QKeySequence::PortableText));
        }
        QCOMPARE(entries, (QStringList{QStringLiteral("Enable Haptics Ctrl+E"), QStringLiteral("-"),
                                       QStringLiteral("Open Thrumwise Ctrl+O"),
                                       QStringLiteral("Settings... Ctrl+,"), QStringLiteral("-"),
                                       QStringLiteral("Quit Thrumwise Ctrl+Q")}));
    }

    void enableHapticsFlipsTheSwitchAndItsCheckMark() {
        launch();
        QAction* enable = delegate_->statusMenu()->actions().at(0);
        QVERIFY(enable->isChecked());
        enable->trigger();
        QVERIFY(!app_->state().isEnabled());
        QVERIFY(!enable->isChecked());
        QCOMPARE(app_->settings.value(QStringLiteral("isEnabled")).toBool(), false);
        enable->trigger();
        QVERIFY(app_->state().isEnabled());
        QVERIFY(enable->isChecked());
        QCOMPARE(app_->settings.value(QStringLiteral("isEnabled")).toBool(), true);

        app_->state().setEnabled(false);  // from the main window
        QVERIFY(!enable->isChecked());
    }

    void menuItemsAskForTheWindows() {
        launch();
        QSignalSpy main(delegate_.get(), &AppDelegate::mainWindowRequested);
        QSignalSpy settings(delegate_.get(), &AppDelegate::settingsRequested);
        const auto actions = delegate_->statusMenu()->actions();
        actions.at(2)->trigger();
        actions.at(3)->trigger();
        QCOMPARE(main.count(), 1);
        QCOMPARE(settings.count(), 1);
    }

    void terminatingStopsCaptureThenThePoll() {
        launch();
        delegate_->applicationWillTerminate();
        QCOMPARE(log().lines(), (std::vector<std::string>{"[InputMonitor] Stopped monitoring",
                                                          "[AppMonitor] Stopped monitoring"}));
        QVERIFY(!inputMonitor_->isMonitoring());
        QCOMPARE(timers_->at(0).isRunning, false);
    }
};

QTEST_MAIN(AppDelegateTest)
#include "AppDelegateTest.moc"
