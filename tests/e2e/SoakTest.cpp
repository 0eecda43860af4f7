// A minute of play at a player's fastest, switching windows every second: what
// the plug-in plays is counted in advance, and the program must not grow.
#include "support/Stage.h"

#include <array>
#include <limits>
#include <unistd.h>

#include <QElapsedTimer>

using namespace thrumwise;
using namespace Qt::StringLiterals;
using test::RunningProgram;

namespace {

constexpr int kSoakMs = 60'000;
constexpr int kWarmUpMs = 10'000;
#ifdef __SANITIZE_ADDRESS__
// Its quarantine grows by design; its leak check stands in for this bound.
constexpr qint64 kMaxGrowthKb = std::numeric_limits<qint64>::max();
#else
constexpr qint64 kMaxGrowthKb = 5 * 1024;
#endif
constexpr int kTapsPerSecond = 200;
constexpr int kHoldRepeatMs = 100;
// Half a repeat away from a tick, so scheduling noise of up to 50 ms changes nothing.
constexpr std::array kHoldMs{150, 350, 550};

// Resident memory in kB, open files other than sockets, and sockets.
QList<qint64> usage(qint64 pid) {
    QFile pages(u"/proc/%1/statm"_s.arg(pid));
    static_cast<void>(pages.open(QIODevice::ReadOnly));  // 0 kB when it cannot be read
    QList<qint64> found{pages.readAll().split(' ').value(1).toLongLong() * getpagesize() / 1024, 0,
                        0};
    for (const QFileInfo& file :
         QDir(u"/proc/%1/fd"_s.arg(pid))
             .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        ++found[file.symLinkTarget().contains(u"socket:"_s) ? 2 : 1];
    }
    return found;
}

}  // namespace

class SoakTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aMinuteOfFastKeysAcrossFocusSwitchesPlaysWhatTheGameProfileSays() {
        test::Stage stage;
        QVERIFY(stage.start());
        KeyMapping hold = test::keyMapping("HOLD_D", 2, "wave");
        hold.triggerOnHold = true;
        hold.holdRepeatIntervalMs = kHoldRepeatMs;
        QVERIFY(stage.writeProfiles({test::keyMapping("TAP_A", 0, "knock"),
                                     test::keyMapping("TAP_S", 1, "damp_collision"), hold}));
        const std::array windows{stage.openWindow(u"ThrumwiseE2EGame"_s),
                                 stage.openWindow(u"ThrumwiseE2EOther"_s)};
        std::unique_ptr<RunningProgram> app;
        QVERIFY(!windows[0].isEmpty() && !windows[1].isEmpty() && stage.launch(app));
        // What the program says on a switch, and on a click in the game or elsewhere.
        const std::array switches{u"[AppMonitor] Activated profile: E2E Game for"_s,
                                  u"[AppMonitor] No profile for: ThrumwiseE2EOther"_s};
        const std::array clicks{u"[TriggerEngine] no mapping for left in profile 'E2E Game'"_s,
                                u"[TriggerEngine] blocked: no active profile"_s};
        std::optional<QList<qint64>> warm;
        int games = 0;
        int waves = 0;
        int tapDelayMs = 3;
        QElapsedTimer soak;
        soak.start();
        for (std::size_t cycle = 0; soak.elapsed() < kSoakMs; ++cycle) {
            if (!warm && soak.elapsed() >= kWarmUpMs) {
                warm = usage(app->processId());
            }
            const std::size_t in = cycle % 2;  // 0: in the game
            const qsizetype switched = app->linesContaining(switches.at(in)).size() + 1;
            const qsizetype clicked = app->linesContaining(clicks.at(in)).size();
            QVERIFY(stage.focus(windows.at(in)));
            VERIFY_SEEN(*app, app->waitForLines(switches.at(in), switched));
            // A click before and after the keys tells which profile they met:
            // input is handled in the order it comes.
            const auto tapping = stage.startXdotool(u"click 1 key --delay %1"_s.arg(tapDelayMs) +
                                                    u" a s"_s.repeated(kTapsPerSecond / 2));
            VERIFY_SEEN(*app, app->waitForLines(clicks.at(in), clicked + 1));
            const qint64 burstStart = soak.elapsed();
            const int holdMs = kHoldMs.at(cycle / 2 % kHoldMs.size());
            const auto holding =
                stage.startXdotool(u"keydown d sleep %1 keyup d"_s.arg(holdMs / 1000.0));
            QVERIFY(tapping->waitForExitSuccess() && holding->waitForExitSuccess());
            // xdotool adds its own time to each pause, more on a busy machine.
            const double rate =
                kTapsPerSecond * 1000.0 / static_cast<double>(soak.elapsed() - burstStart);
            tapDelayMs = std::clamp(
                tapDelayMs + int{rate > kTapsPerSecond * 1.2} - int{rate < kTapsPerSecond}, 0, 5);
            QVERIFY(stage.xdotool(u"click 1"_s));
            VERIFY_SEEN(*app, app->waitForLines(clicks.at(in), clicked + 2));
            if (in == 0) {
                ++games;
                waves += 1 + holdMs / kHoldRepeatMs;
            }
        }

        // Requests still on their way arrive, then nothing more for a second.
        QStringList effects;
        do {
            QTest::qWait(1000);
        } while (std::exchange(effects, stage.effects()) != effects);
        const auto end = usage(app->processId());
        const int taps = games * kTapsPerSecond / 2;
        QCOMPARE(effects.count(u"knock"_s), taps);
        QCOMPARE(effects.count(u"damp_collision"_s), taps);
        // A release within noise of a tick may gain or lose that repeat; one hold a spell.
        QVERIFY(std::abs(effects.count(u"wave"_s) - waves) <= games);
        QCOMPARE(effects.size(), 2 * taps + effects.count(u"wave"_s));
        QVERIFY(end[0] > 0 && end[0] - warm->at(0) < kMaxGrowthKb);
        QVERIFY(end[1] > 0 && end[1] <= warm->at(1));
        // Idle plug-in connections are kept, as many as a stall piled up; not one per request.
        QVERIFY(end[2] < kTapsPerSecond);
        VERIFY_SEEN(*app, app->isRunning() && app->stop());
    }
};

QTEST_GUILESS_MAIN(SoakTest)
#include "SoakTest.moc"
