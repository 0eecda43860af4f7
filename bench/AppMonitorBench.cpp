// The cost of following the application in front: one focused-window query
// on a real X server (private Xvfb with openbox), when the same window stays
// focused and when the focus moves to the other of two windows before every
// poll; and one monitor poll that finds a new identifier and searches 1,000
// profiles for it, its queued state updates included.
#include "ManyProfiles.h"
#include "common/Logger.h"
#include "focus/AppMonitor.h"
#include "platform/FrontmostApplicationSource.h"
#include "platform/x11/X11Display.h"
#include "platform/x11/X11FrontmostApplicationSource.h"
#include "state/AppState.h"
#include "support/AppStateFixture.h"
#include "support/ManualTimerFactory.h"
#include "support/TestWindow.h"
#include "support/XvfbServer.h"

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <benchmark/benchmark.h>

// Last: Xlib's macros would clash with the names above.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

using namespace thrumwise;

// Moves the focus as a pager or taskbar does: asks the window manager to
// activate a window and waits until it says it has.
class WindowActivator {
public:
    explicit WindowActivator(const std::string& displayName)
        : display_(XOpenDisplay(displayName.c_str())) {
        if (display_ != nullptr) {
            netActiveWindow_ = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
            wmState_ = XInternAtom(display_, "WM_STATE", False);
        }
    }
    ~WindowActivator() {
        if (display_ != nullptr) {
            XCloseDisplay(display_);
        }
    }
    WindowActivator(const WindowActivator&) = delete;
    WindowActivator& operator=(const WindowActivator&) = delete;

    // Until then the window manager may still give a new window the focus by itself.
    bool waitUntilManaged(Window window) {
        return display_ != nullptr &&
               waitFor([&] { return property(window, wmState_, wmState_).has_value(); });
    }

    bool activate(Window window) {
        if (display_ == nullptr) {
            return false;
        }
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = netActiveWindow_;
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2;  // the request comes from a pager
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, DefaultRootWindow(display_), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XFlush(display_);
        return waitFor([&] {
            return property(DefaultRootWindow(display_), netActiveWindow_, XA_WINDOW) == window;
        });
    }

private:
    template <typename Predicate>
    static bool waitFor(Predicate isDone) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!isDone()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return true;
    }

    // The first item of a window's property of that type, if it has one.
    std::optional<unsigned long> property(Window window, Atom name, Atom type) {
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long remaining = 0;
        unsigned char* data = nullptr;
        std::optional<unsigned long> first;
        if (XGetWindowProperty(display_, window, name, 0, 1, False, type, &actualType, &format,
                               &count, &remaining, &data) == Success &&
            actualType == type && format == 32 && count == 1) {
            first = *reinterpret_cast<const unsigned long*>(data);
        }
        if (data != nullptr) {
            XFree(data);
        }
        return first;
    }

    Display* display_;
    Atom netActiveWindow_ = None;
    Atom wmState_ = None;
};

// A private X server with openbox and two test windows.
class Desktop {
public:
    bool start() {
        if (!server_.start() || !server_.startWindowManager()) {
            return false;
        }
        for (const char* windowClass : {"ThrumwiseArena", "ThrumwiseQuest"}) {
            const Window window = openWindow(QString::fromUtf8(windowClass));
            if (window == None) {
                return false;
            }
            windows_.push_back(window);
        }
        activator_ = std::make_unique<WindowActivator>(displayName());
        for (const Window window : windows_) {
            if (!activator_->waitUntilManaged(window)) {
                return false;
            }
        }
        return activator_->activate(windows_[0]);
    }

    std::string displayName() const { return server_.displayName().toStdString(); }
    Window window(std::size_t index) const { return windows_.at(index); }
    bool activate(Window window) { return activator_->activate(window); }

private:
    Window openWindow(const QString& windowClass) {
        testWindows_.push_back(std::make_unique<test::TestWindow>(
            QStringLiteral(THRUMWISE_TEST_WINDOW), server_.clientEnvironment(),
            QStringList{QStringLiteral("--class"), windowClass}));
        return testWindows_.back()->id().toULong(nullptr, 0);
    }

    test::XvfbServer server_;
    std::vector<std::unique_ptr<test::TestWindow>> testWindows_;  // ended before the server
    std::vector<Window> windows_;
    std::unique_ptr<WindowActivator> activator_;
};

void frontmostPollSameWindow(benchmark::State& state, Desktop& desktop) {
    X11Display display(desktop.displayName());
    X11FrontmostApplicationSource source(display);
    // openbox may name no window for a moment while it settles the focus.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!source.frontmostApplication()) {
        if (std::chrono::steady_clock::now() > deadline) {
            state.SkipWithError("no focused window");
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(source.frontmostApplication());
    }
}

void frontmostPollAlternatingWindows(benchmark::State& state, Desktop& desktop) {
    X11Display display(desktop.displayName());
    X11FrontmostApplicationSource source(display);
    std::size_t next = 1;
    for (auto _ : state) {
        state.PauseTiming();
        const bool isActivated = desktop.activate(desktop.window(next));
        next = 1 - next;
        state.ResumeTiming();
        if (!isActivated) {
            state.SkipWithError("the window manager did not move the focus");
            break;
        }
        benchmark::DoNotOptimize(source.frontmostApplication());
    }
}

// Two applications in turn, so that every poll sees a change.
class AlternatingSource final : public FrontmostApplicationSource {
public:
    std::optional<FrontmostApplication> frontmostApplication() override {
        isFirst_ = !isFirst_;
        return isFirst_ ? first : second;
    }

    FrontmostApplication first;
    FrontmostApplication second;

private:
    bool isFirst_ = false;
};

void monitorPollWithChange(benchmark::State& state) {
    const auto profileCount = static_cast<int>(state.range(0));
    test::AppStateFixture app;
    AppState& appState = app.state();
    // Each profile with a handful of mappings, as they are copied on a switch.
    auto profiles = bench::manyProfiles(profileCount, 8);
    appState.setProfiles(profiles);
    AlternatingSource source;
    // The last profile in the list, and an application without one: both
    // searches walk the whole list.
    source.first.bundleId = profiles.back().bundleId;
    source.second.bundleId = "org.example.editor";
    test::ManualTimerFactory timers;
    Logger quiet([](std::string_view) {});
    AppMonitor monitor(
        source,
        {[&appState]() -> const std::vector<GameProfile>& { return appState.profiles(); },
         [&appState] {
             const auto& active = appState.activeProfile();
             return active ? std::optional(active->id) : std::nullopt;
         }},
        timers, quiet);
    // Wired as the application wires it, so the queued state updates are measured too.
    QObject::connect(&monitor, &AppMonitor::frontmostBundleIdSeen, &appState,
                     &AppState::setFrontmostBundleId);
    QObject::connect(&monitor, &AppMonitor::profileChosen, &appState, &AppState::setActiveProfile);
    monitor.startMonitoring();

    for (auto _ : state) {
        timers.tickAll();
        QCoreApplication::sendPostedEvents();
        app.handedToEngine.clear();  // the engine keeps only the latest
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(monitorPollWithChange)->Arg(1000);

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    Desktop desktop;
    if (desktop.start()) {
        benchmark::RegisterBenchmark("frontmostPoll/sameWindow", frontmostPollSameWindow,
                                     std::ref(desktop));
        benchmark::RegisterBenchmark("frontmostPoll/alternatingWindows",
                                     frontmostPollAlternatingWindows, std::ref(desktop))
            ->Iterations(2000);
    } else {
        std::fputs("app_monitor_bench: no private X server with openbox; X11 polls skipped\n",
                   stderr);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
