// The GUI thread's time for one keystroke in a profile's name field, with
// 1,000 profiles of 20 mappings each: through the real editor, whose save is
// written off the GUI thread, beside the same edit saved on the GUI thread as
// the store alone would do it.
#include "ManyProfiles.h"
#include "model/ProfileManager.h"
#include "state/AppState.h"
#include "support/AppStateFixture.h"
#include "support/SampleProfiles.h"
#include "support/Widgets.h"
#include "ui/AppIconLookup.h"
#include "ui/ProfileEditorView.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <benchmark/benchmark.h>

namespace {

using namespace thrumwise;

constexpr int kProfiles = 1000;
constexpr int kMappingsEach = 20;

// The edit as the editor makes it, but saved on the calling thread.
void keystrokeSavedOnTheGuiThread(benchmark::State& state) {
    test::AppStateFixture app;
    app.state().setProfiles(bench::manyProfiles(kProfiles, kMappingsEach));
    int keys = 0;
    for (auto _ : state) {
        std::vector<GameProfile> profiles = app.state().profiles();
        profiles.front().displayName += static_cast<char>('a' + keys++ % 26);
        const GameProfile edited = profiles.front();
        app.state().setProfiles(std::move(profiles));
        app.store.saveProfiles(app.state().profiles());
        app.state().refreshActiveProfile(edited);
    }
}

// A real keystroke in the editor's name field; the save goes to the queue.
void keystrokeInTheEditor(benchmark::State& state) {
    test::AppStateFixture app;
    app.state().setProfiles(bench::manyProfiles(kProfiles, kMappingsEach));
    NoAppIcons icons;
    test::RecordingHaptics haptics;
    test::FixtureDesktop desktop;
    ProfileEditorView editor(
        app.state().profiles().front().id, [] {},
        ViewServices{app.state(), icons, haptics, desktop.apps, desktop});
    auto* name = editor.findChild<QLineEdit*>();
    int keys = 0;
    for (auto _ : state) {
        QTest::keyClick(name, static_cast<char>('a' + keys++ % 26));
    }
    app.saveQueue.flush();
}

}  // namespace

BENCHMARK(keystrokeSavedOnTheGuiThread)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(keystrokeInTheEditor)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
