// A minute of play at a player's fastest: the real program under about 200
// key presses a second, with the focus going between the game and another
// window about every second. Every press is sent while the program is known to
// have the game's profile, or known to have none, so what the plug-in plays
// can be counted in advance; the program must also neither crash nor grow.
#include "support/Stage.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <utility>

#include <QElapsedTimer>
#include <QSet>
#include <QTimer>

using namespace thrumwise;
using test::RunningProgram;
using test::Stage;

namespace {

constexpr auto kSoakMs = 60'000;
constexpr auto kWarmUpMs = 10'000;
constexpr auto kSampleEveryMs = 250;
constexpr auto kQuietMs = 1000;
constexpr auto kTapsPerSecond = 200;
constexpr std::int64_t kHoldRepeatMs = 100;
// Half a repeat away from a tick, so scheduling noise of up to 50 ms on
// either side changes nothing.
constexpr std::array kHoldMs{150, 350, 550};

const auto kInGameMarker =
    QStringLiteral("[TriggerEngine] no mapping for left in profile 'E2E Game'");
const auto kOtherWindowSwitch = QStringLiteral("[AppMonitor] No profile for: ThrumwiseE2EOther");

// How often one text appears in a program's lines, reading each line once.
class Tally {
public:
    Tally(RunningProgram& program, QString text) : program_(program), text_(std::move(text)) {}

    int count() {
        const QStringList& lines = program_.lines();
        for (; read_ < lines.size(); ++read_) {
            count_ += lines.at(read_).contains(text_) ? 1 : 0;
        }
        return count_;
    }
    bool waitFor(int count) {
        return QTest::qWaitFor([&] { return this->count() >= count; }, RunningProgram::patienceMs);
    }

private:
    RunningProgram& program_;
    QString text_;
    qsizetype read_ = 0;
    int count_ = 0;
};

// The inodes of the TCP sockets connected to a port on this machine.
QSet<QByteArray> socketsTo(std::uint16_t port) {
    QSet<QByteArray> inodes;
    const QByteArray remotePort =
        ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        for (const QByteArray& line : file.readAll().split('\n').mid(1)) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() > 9 && fields.at(2).endsWith(remotePort)) {
                inodes.insert(fields.at(9));
            }
        }
    }
    return inodes;
}

// Resident memory and open files of a process, sampled by a timer; each
// sample goes to the earlier or the later half of the run. A file counts
// when it was open at two samples in a row: what leaks stays, while a
// request in flight or a short-lived thread's wake-up descriptor comes and
// goes. Connections to the plug-in are counted apart: idle ones are kept
// for reuse, so their number follows how many requests a stall of the
// machine piled up, not how long the program has run.
class Sampler {
public:
    struct Peaks {
        qint64 residentKb = 0;
        qsizetype openFiles = 0;
        qsizetype pluginConnections = 0;
    };

    Sampler(qint64 pid, std::uint16_t pluginPort) : pid_(pid), pluginPort_(pluginPort) {
        timer_.callOnTimeout([this] { sample(); });
    }
    void start() { timer_.start(kSampleEveryMs); }
    void secondHalf() { current_ = &later_; }
    void stop() { timer_.stop(); }

    const Peaks& earlier() const { return earlier_; }
    const Peaks& later() const { return later_; }
    int samples() const { return samples_; }
    bool isSampleMissing() const { return isSampleMissing_; }

private:
    void sample() {
        const qint64 resident = residentKb();
        const QSet<QByteArray> plugin = socketsTo(pluginPort_);
        qsizetype files = 0;
        qsizetype connections = 0;
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(
                 QStringLiteral("/proc/%1/fd").arg(pid_).toStdString(), error)) {
            // "socket:[inode]"
            const QByteArray target =
                QByteArray::fromStdString(std::filesystem::read_symlink(entry.path(), error));
            const bool toPlugin =
                target.startsWith("socket:[") && plugin.contains(target.mid(8).chopped(1));
            (toPlugin ? connections : files) += 1;
        }
        isSampleMissing_ = isSampleMissing_ || resident <= 0 || files == 0;
        current_->residentKb = std::max(current_->residentKb, resident);
        current_->openFiles =
            std::max(current_->openFiles, std::min(files, std::exchange(lastFiles_, files)));
        current_->pluginConnections =
            std::max(current_->pluginConnections,
                     std::min(connections, std::exchange(lastConnections_, connections)));
        ++samples_;
    }
    qint64 residentKb() const {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid_));
        if (!status.open(QIODevice::ReadOnly)) {
            return 0;
        }
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:")) {
                return line.mid(6).trimmed().split(' ').value(0).toLongLong();
            }
        }
        return 0;
    }

    qint64 pid_;
    std::uint16_t pluginPort_;
    QTimer timer_;
    Peaks earlier_;
    Peaks later_;
    Peaks* current_ = &earlier_;
    qsizetype lastFiles_ = 0;
    qsizetype lastConnections_ = 0;
    int samples_ = 0;
    bool isSampleMissing_ = false;
};

// What was sent while the game had the focus, and what it must have played.
struct Expected {
    int tapsA = 0;
    int tapsS = 0;
    int holds = 0;
    int holdRepeats = 0;  // at the repeat interval, for the hold durations sent

    int holdEffects() const { return holds + holdRepeats; }
    // A release within scheduling noise of a tick may gain or lose that one repeat.
    int holdTolerance() const { return holds; }
};

QString taps(int count) {
    QStringList keys;
    for (int i = 0; i < count; ++i) {
        keys << (i % 2 == 0 ? QStringLiteral("a") : QStringLiteral("s"));
    }
    return keys.join(u' ');
}

}  // namespace

class SoakTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aMinuteOfFastKeysAcrossFocusSwitchesPlaysWhatTheGameProfileSays() {
        Stage stage;
        QVERIFY(stage.start());
        KeyMapping hold = test::keyMapping("HOLD_D", 2, "wave");
        hold.triggerOnHold = true;
        hold.holdRepeatIntervalMs = kHoldRepeatMs;
        QVERIFY(stage.writeProfiles(
            test::gameProfile({test::keyMapping("TAP_A", 0, "knock"),
                               test::keyMapping("TAP_S", 1, "damp_collision"), hold})));
        const QString game = stage.openWindow(QStringLiteral("ThrumwiseE2EGame"));
        const QString other = stage.openWindow(QStringLiteral("ThrumwiseE2EOther"));
        std::unique_ptr<RunningProgram> app;
        QVERIFY(!game.isEmpty() && !other.isEmpty() && stage.launch(app));

        Tally gameSwitches(*app, test::kGameActivated);
        Tally otherSwitches(*app, kOtherWindowSwitch);
        Tally inGameMarkers(*app, kInGameMarker);
        Tally noProfileMarkers(*app, test::kNoActiveProfile);
        Sampler sampler(app->processId(), stage.pluginPort());
        Expected expected;
        int cycles = 0;
        int tapsSent = 0;
        qint64 tapMs = 0;
        int tapDelayMs = 3;
        QElapsedTimer soak;
        soak.start();
        bool isSampling = false;
        while (soak.elapsed() < kSoakMs) {
            if (!isSampling && soak.elapsed() >= kWarmUpMs) {
                sampler.start();
                isSampling = true;
            } else if (soak.elapsed() >= (kSoakMs + kWarmUpMs) / 2) {
                sampler.secondHalf();
            }
            const bool inGame = cycles % 2 == 0;
            Tally& switches = inGame ? gameSwitches : otherSwitches;
            Tally& markers = inGame ? inGameMarkers : noProfileMarkers;
            Tally& wrongMarkers = inGame ? noProfileMarkers : inGameMarkers;
            const int switched = switches.count() + 1;
            const int marked = markers.count();
            const int wrong = wrongMarkers.count();

            QVERIFY(stage.focus(inGame ? game : other));
            VERIFY_SEEN(*app, switches.waitFor(switched));
            // A click before and after the keys tells which profile they met:
            // input is handled in the order it comes.
            const int holdMs = kHoldMs.at(static_cast<std::size_t>(cycles / 2) % kHoldMs.size());
            const auto tapping = stage.startXdotool(
                QStringLiteral("click 1 key --delay %1 ").arg(tapDelayMs) + taps(kTapsPerSecond));
            VERIFY_SEEN(*app, markers.waitFor(marked + 1));
            QElapsedTimer burst;  // from its first key, seen by the program, to its last
            burst.start();
            const auto holding = stage.startXdotool(
                QStringLiteral("keydown d sleep %1 keyup d").arg(holdMs / 1000.0));
            QVERIFY(tapping->waitForExitSuccess());
            tapMs += burst.elapsed();
            // xdotool adds its own time to each pause, more on a busy machine.
            const double rate = kTapsPerSecond * 1000.0 / static_cast<double>(burst.elapsed());
            tapDelayMs += rate < kTapsPerSecond ? -1 : rate > kTapsPerSecond * 1.2 ? 1 : 0;
            tapDelayMs = std::clamp(tapDelayMs, 0, 5);
            QVERIFY(holding->waitForExitSuccess());
            QVERIFY(stage.xdotool(QStringLiteral("click 1")));
            VERIFY_SEEN(*app, markers.waitFor(marked + 2));
            QCOMPARE(wrongMarkers.count(), wrong);
            QCOMPARE(switches.count(), switched);

            tapsSent += kTapsPerSecond;
            if (inGame) {
                expected.tapsA += (kTapsPerSecond + 1) / 2;
                expected.tapsS += kTapsPerSecond / 2;
                expected.holds += 1;
                expected.holdRepeats += holdMs / static_cast<int>(kHoldRepeatMs);
            }
            ++cycles;
        }
        sampler.stop();

        // Requests still on their way arrive, then nothing more for a second.
        QStringList effects;
        for (int waited = 0; waited < RunningProgram::patienceMs; waited += kQuietMs) {
            QTest::qWait(kQuietMs);
            if (std::exchange(effects, stage.effects()) == effects) {
                break;
            }
        }
        const auto played = [&](const char* pattern) {
            return static_cast<int>(effects.count(QString::fromLatin1(pattern)));
        };
        qInfo("%d cycles of which %d in the game; %d taps at %.0f a second, and %d holds", cycles,
              (cycles + 1) / 2, tapsSent, tapsSent * 1000.0 / static_cast<double>(tapMs), cycles);
        qInfo("knock %d of %d, damp_collision %d of %d, wave %d of %d +-%d (%d holds)",
              played("knock"), expected.tapsA, played("damp_collision"), expected.tapsS,
              played("wave"), expected.holdEffects(), expected.holdTolerance(), expected.holds);
        qInfo(
            "%d samples, the earlier half's peak then the later half's: resident %lld then "
            "%lld kB, open files %lld then %lld, plug-in connections %lld then %lld",
            sampler.samples(), sampler.earlier().residentKb, sampler.later().residentKb,
            static_cast<long long>(sampler.earlier().openFiles),
            static_cast<long long>(sampler.later().openFiles),
            static_cast<long long>(sampler.earlier().pluginConnections),
            static_cast<long long>(sampler.later().pluginConnections));
        qInfo("%lld failed triggers",
              static_cast<long long>(
                  app->linesContaining(QStringLiteral("[TriggerEngine] HTTP failed")).size()));

        QCOMPARE(played("knock"), expected.tapsA);
        QCOMPARE(played("damp_collision"), expected.tapsS);
        QVERIFY(std::abs(played("wave") - expected.holdEffects()) <= expected.holdTolerance());
        QCOMPARE(effects.size(),
                 qsizetype{played("knock") + played("damp_collision") + played("wave")});

        QVERIFY(!sampler.isSampleMissing() && sampler.later().residentKb > 0);
        QVERIFY(sampler.later().residentKb - sampler.earlier().residentKb < 5 * 1024);
        QVERIFY(sampler.later().openFiles <= sampler.earlier().openFiles);
        // A connection kept per request would pass this within a second of play.
        QVERIFY(sampler.later().pluginConnections < kTapsPerSecond);

        QVERIFY(app->isRunning());
        VERIFY_SEEN(*app, app->stop());
    }
};

QTEST_GUILESS_MAIN(SoakTest)
#include "SoakTest.moc"
