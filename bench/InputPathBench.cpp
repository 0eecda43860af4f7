// The cost of one key press and release through the input monitor and the
// trigger engine, network excluded, for profiles of growing size. The pressed
// key matches one mapping, which fires each time.
#include "common/Logger.h"
#include "engine/TriggerEngine.h"
#include "haptics/HapticTrigger.h"
#include "input/InputMonitor.h"
#include "state/AppState.h"
#include "support/AppStateFixture.h"
#include "support/FakeEventSource.h"
#include "support/ManualTimerFactory.h"
#include "support/SampleProfiles.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

using namespace thrumwise;

class NullHaptics final : public HapticTrigger {
public:
    void trigger(std::string pattern, Completion done) override {
        benchmark::DoNotOptimize(pattern);
        if (done) {
            done(true);
        }
    }
};

void BM_KeyPressThroughMonitorAndEngine(benchmark::State& state) {
    const auto mappingCount = static_cast<int>(state.range(0));
    test::FakeEventSource source;
    test::AppStateFixture app;
    AppState& appState = app.state();
    Logger quiet([](std::string_view) {});
    InputMonitor monitor(source, quiet);
    // Wired as the application wires it, so the display update is measured too.
    monitor.setOnLastInput(
        [&appState](std::string text) { appState.setLastInputEvent(std::move(text)); });
    NullHaptics haptics;
    SteadyClock clock;
    test::ManualTimerFactory timers;
    TriggerEngine engine(monitor, haptics,
                         {[&appState] { return appState.isEnabled(); },
                          [&appState] {
                              return appState.isPluginConnected();
                          }},
                         clock, timers, quiet);
    monitor.start();

    std::vector<KeyMapping> mappings;
    for (int i = 0; i < mappingCount; ++i) {
        auto mapping = test::keyMapping("M" + std::to_string(i), static_cast<std::uint16_t>(i),
                                        "sharp_collision", {ModifierKey::shift});
        mappings.push_back(std::move(mapping));
    }
    engine.setActiveProfile(test::profile("P", "Bench", "b", std::move(mappings)));

    const auto key = static_cast<std::int64_t>(mappingCount - 1);
    std::int64_t presses = 0;
    for (auto _ : state) {
        source.keyDown(key, ModifierFlags::shift);
        source.keyUp(key, ModifierFlags::shift);
        // The queued display updates are part of a press's cost on the GUI thread.
        if (++presses % 256 == 0) {
            QCoreApplication::sendPostedEvents();
        }
    }
    QCoreApplication::sendPostedEvents();
    state.SetItemsProcessed(presses);
}

}  // namespace

BENCHMARK(BM_KeyPressThroughMonitorAndEngine)->Arg(1)->Arg(10)->Arg(100)->Arg(1000);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
