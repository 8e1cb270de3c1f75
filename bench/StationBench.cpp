// The station: readings written to the station database as the station
// writes them, one transaction a batch with a synchronous (fsync) commit, and
// the indicators of a 60 s period of 1 s readings (goal: 20 us). The
// writes' figure is readings a second of wall time, commits included: the
// goal is 200,000 a second for batches of 1000 and more; a batch of 1 shows
// the commits a second the disk allows (the station makes one a second).
#include "station/IntervalBuilder.h"
#include "station/StationDatabase.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::int64_t kStartMs = 1796688000000; // 2026-12-08 00:00:00 UTC

std::string TemporaryDatabase()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vx_station_bench_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return {};
    return pattern;
}

// Batches of range(0) readings, one a second, each written in one
// transaction (WAL, synchronous commits) as the station's Tick writes them.
void BM_ReadingsIntoTheStationDatabase(benchmark::State& state)
{
    const std::string folder = TemporaryDatabase();
    CStationDatabase database;
    std::string error;
    if (folder.empty() || !database.Open(folder + "/bench.sqlite", &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::mt19937 random(47);
    std::uniform_int_distribution<int> tenths(450, 950);
    CStationDatabase::Batch batch;
    batch.station = "roof";
    batch.readings.resize(static_cast<std::size_t>(state.range(0)));
    std::int64_t t = kStartMs;
    for (auto _ : state) {
        for (StationReading& reading : batch.readings) {
            reading = {t, "12:00:00", tenths(random) / 10.0, "dBA", "FAST", ""};
            t += 1000;
        }
        if (!database.Write(batch, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_ReadingsIntoTheStationDatabase)->Arg(1)->Arg(1000)->Arg(100000)->UseRealTime()->Unit(benchmark::kMicrosecond);

// The indicators of one 60 s period: Leq, Lmax, Lmin, L10, L50, L90 and coverage.
void BM_IndicatorsOfA60SecondInterval(benchmark::State& state)
{
    std::mt19937 random(47);
    std::uniform_int_distribution<int> tenths(450, 950);
    std::vector<TimedLevel> levels(60);
    for (std::size_t i = 0; i < levels.size(); ++i)
        levels[i] = {tenths(random) / 10.0, kStartMs / 1000 + static_cast<std::int64_t>(i), Weighting::A};
    for (auto _ : state) {
        StationInterval interval = CIntervalBuilder::Compute("roof", kStartMs, kStartMs + 60000, levels, 1.0);
        benchmark::DoNotOptimize(interval);
    }
}
BENCHMARK(BM_IndicatorsOfA60SecondInterval)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
