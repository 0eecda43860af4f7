// How soon the active profile follows a switch of window: from `xdotool
// windowactivate` returning to the monitor's "Activated profile" line, on a
// private X server (Xvfb) with openbox, switching between two test windows
// that each have a profile. Measured in one run twice over: with the monitor
// as the application runs it (focus events beside the 0.2 s poll), and with
// the poll alone. A random pause before each switch spreads the switches over
// the poll's period.
// Run by hand: focus_switch_bench [switches per way (50)]
#include "common/Logger.h"
#include "common/RepeatingTimer.h"
#include "focus/AppMonitor.h"
#include "platform/FrontmostApplicationSource.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11FrontmostApplicationSource.h"
#include "support/SampleProfiles.h"
#include "support/TestWindow.h"
#include "support/XvfbServer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace {

using namespace thrumwise;
using Clock = std::chrono::steady_clock;

constexpr int defaultSwitches = 50;
constexpr auto switchPatience = std::chrono::seconds(3);
constexpr std::string_view activatedLine = "[AppMonitor] Activated profile: ";

// The X11 source without its change handler: the monitor learns of a switch
// only from its poll.
class PollOnlySource final : public FrontmostApplicationSource {
public:
    explicit PollOnlySource(FrontmostApplicationSource& source) : source_(source) {}
    std::optional<FrontmostApplication> frontmostApplication() override {
        return source_.frontmostApplication();
    }

private:
    FrontmostApplicationSource& source_;
};

// `xdotool windowactivate WINDOW` as a pager would run it; false when it failed.
bool activate(const std::string& window) {
    std::string program = "xdotool";
    std::string command = "windowactivate";
    std::string target = window;
    std::vector<char*> arguments{program.data(), command.data(), target.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, arguments.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Window {
    std::string id;
    std::string windowClass;
};

// A monitor of the display, wired as the application wires it, whose
// "Activated profile" lines are timed as they are written.
class TimedMonitor {
public:
    TimedMonitor(FrontmostApplicationSource& source, std::vector<GameProfile> profiles)
        : profiles_(std::move(profiles)),
          logger_([this](std::string_view line) { noteLine(line); }),
          monitor_(source,
                   {[this]() -> const std::vector<GameProfile>& { return profiles_; },
                    [this] {
                        return active_ ? std::optional(active_->id) : std::nullopt;
                    }},
                   timers_, logger_) {
        QObject::connect(&monitor_, &AppMonitor::profileChosen,
                         [this](const std::optional<GameProfile>& profile) { active_ = profile; });
        monitor_.startMonitoring();
    }

    // Activates `window` and returns the milliseconds from xdotool's return
    // to the line naming the window's class; nothing when either failed.
    // Negative when the line came before xdotool had ended.
    std::optional<double> switchTo(const Window& window) {
        QEventLoop loop;
        expectedLine_ = " for " + window.windowClass;
        loggedAt_.reset();
        std::optional<Clock::time_point> returnedAt;
        onLine_ = [&] {
            if (returnedAt) {
                loop.quit();
            }
        };
        std::thread worker([&loop, &returnedAt, this, id = window.id] {
            const bool isActivated = activate(id);
            const Clock::time_point now = Clock::now();
            QMetaObject::invokeMethod(
                &loop,
                [&loop, &returnedAt, this, isActivated, now] {
                    if (!isActivated) {
                        loop.quit();
                        return;
                    }
                    returnedAt = now;
                    if (loggedAt_) {
                        loop.quit();
                    }
                },
                Qt::QueuedConnection);
        });
        QTimer::singleShot(switchPatience, &loop, &QEventLoop::quit);
        loop.exec();
        worker.join();
        onLine_ = nullptr;
        if (!returnedAt || !loggedAt_) {
            return std::nullopt;
        }
        return std::chrono::duration<double, std::milli>(*loggedAt_ - *returnedAt).count();
    }

private:
    void noteLine(std::string_view line) {
        if (line.starts_with(activatedLine) && line.ends_with(expectedLine_) && !loggedAt_) {
            loggedAt_ = Clock::now();
            if (onLine_) {
                onLine_();
            }
        }
    }

    std::vector<GameProfile> profiles_;
    std::optional<GameProfile> active_;
    std::string expectedLine_;
    std::optional<Clock::time_point> loggedAt_;
    std::function<void()> onLine_;
    QtTimerFactory timers_;
    Logger logger_;
    AppMonitor monitor_;
};

void pause(std::chrono::milliseconds length) {
    QEventLoop loop;
    QTimer::singleShot(length, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Result {
    std::vector<double> latenciesMs;  // sorted
    int failed = 0;
};

// Switches back and forth between the two windows; `inFront` is the index of
// the window in front, before and after.
Result measure(FrontmostApplicationSource& source, const std::vector<Window>& windows,
               std::size_t& inFront, int switches, std::mt19937& random) {
    std::vector<GameProfile> profiles;
    profiles.reserve(windows.size());
    for (const Window& window : windows) {
        profiles.push_back(
            test::profile(window.windowClass, window.windowClass, window.windowClass));
    }
    TimedMonitor monitor(source, profiles);
    // The first poll makes the window in front active, outside the measurement.
    pause(AppMonitor::pollingInterval * 2);

    std::uniform_int_distribution<int> pauseMs(50, 250);
    Result result;
    for (int i = 0; i < switches; ++i) {
        pause(std::chrono::milliseconds(pauseMs(random)));
        inFront = 1 - inFront;
        const auto latency = monitor.switchTo(windows.at(inFront));
        if (latency) {
            result.latenciesMs.push_back(*latency);
        } else {
            ++result.failed;
        }
    }
    std::sort(result.latenciesMs.begin(), result.latenciesMs.end());
    return result;
}

double percentile(const std::vector<double>& sorted, double fraction) {
    return sorted[static_cast<std::size_t>(fraction * double(sorted.size() - 1))];
}

void report(const char* way, const Result& result) {
    if (result.latenciesMs.empty()) {
        std::printf("%-36s no switch was seen (%d failed)\n", way, result.failed);
        return;
    }
    std::printf("%-36s %9.2f %9.2f %9.2f %7d\n", way, percentile(result.latenciesMs, 0.50),
                percentile(result.latenciesMs, 0.99), result.latenciesMs.back(), result.failed);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int switches = argc > 1 ? std::max(1, std::atoi(argv[1])) : defaultSwitches;

    test::XvfbServer server;
    if (!server.start() || !server.startWindowManager()) {
        std::fputs("focus_switch_bench: no private X server with openbox\n", stderr);
        return EXIT_FAILURE;
    }
    qputenv("DISPLAY", server.displayName().toUtf8());  // for xdotool
    std::vector<std::unique_ptr<test::TestWindow>> testWindows;
    std::vector<Window> windows;
    for (const char* windowClass : {"ThrumwiseArena", "ThrumwiseQuest"}) {
        testWindows.push_back(std::make_unique<test::TestWindow>(
            QStringLiteral(THRUMWISE_TEST_WINDOW), server.clientEnvironment(),
            QStringList{QStringLiteral("--class"), QString::fromUtf8(windowClass)}));
        windows.push_back({testWindows.back()->id().toStdString(), windowClass});
        // Managed and in front before the next one comes.
        if (windows.back().id.empty() ||
            !server.run(QStringLiteral("xdotool"),
                        {QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                         QString::fromStdString(windows.back().id)})) {
            std::fputs("focus_switch_bench: a test window did not come up\n", stderr);
            return EXIT_FAILURE;
        }
    }

    std::mt19937 random(20240601);  // the same pauses on every run
    X11Display display(server.displayName().toStdString());
    X11FrontmostApplicationSource x11(display);
    std::size_t inFront = windows.size() - 1;  // activated last
    const Result withEvents = measure(x11, windows, inFront, switches, random);
    PollOnlySource pollOnly(x11);
    const Result pollAlone = measure(pollOnly, windows, inFront, switches, random);

    std::printf(
        "Profile switch: `xdotool windowactivate` returned -> \"Activated profile\" logged\n"
        "(Xvfb and openbox, %d switches between two windows each way)\n",
        switches);
    std::printf("%-36s %9s %9s %9s %7s\n", "way", "p50 (ms)", "p99 (ms)", "max (ms)", "failed");
    report("focus events and the 0.2 s poll", withEvents);
    report("the 0.2 s poll alone", pollAlone);
    return EXIT_SUCCESS;
}
