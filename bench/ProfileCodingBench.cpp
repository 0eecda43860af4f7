// Decoding and encoding a large profiles file, beside the floor: a plain
// nlohmann::json parse of the same bytes.
#include "ManyProfiles.h"
#include "model/ProfileCoding.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

namespace {

using namespace thrumwise;

const std::vector<GameProfile>& largeProfileList() {
    static const auto profiles = bench::manyProfiles(1000, 20);
    return profiles;
}

const std::string& largeProfilesFile() {
    static const std::string bytes = encodeProfiles(largeProfileList());
    return bytes;
}

void BM_DecodeProfiles(benchmark::State& state) {
    const std::string& bytes = largeProfilesFile();
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodeProfiles(bytes));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void BM_EncodeProfiles(benchmark::State& state) {
    const auto& profiles = largeProfileList();
    for (auto _ : state) {
        benchmark::DoNotOptimize(encodeProfiles(profiles));
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(state.iterations() * largeProfilesFile().size()));
}

void BM_ParseFloor(benchmark::State& state) {
    const std::string& bytes = largeProfilesFile();
    for (auto _ : state) {
        benchmark::DoNotOptimize(nlohmann::json::parse(bytes));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

}  // namespace

BENCHMARK(BM_DecodeProfiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeProfiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseFloor)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
