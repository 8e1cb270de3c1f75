// The noise indicators: all of them over a million readings (goal: 5 ms),
// and one reading added to the live indicators (goal: 1 us).
#include "acoustics/Indicators.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr std::int64_t kStart = 1709805900; // 2024-03-07 10:05:00 UTC

// A busy street: levels from 45 to 95 dB at the meter's 0.1 dB, one a second.
std::vector<TimedLevel> Street(std::size_t count)
{
    std::mt19937 random(47);
    std::uniform_int_distribution<int> tenths(450, 950);
    std::vector<TimedLevel> readings(count);
    for (std::size_t i = 0; i < count; ++i)
        readings[i] = {tenths(random) / 10.0, kStart + static_cast<std::int64_t>(i), Weighting::A};
    return readings;
}

void BM_AllIndicatorsOfAMillionReadings(benchmark::State& state)
{
    const std::vector<TimedLevel> readings = Street(1000000);
    for (auto _ : state) {
        NoiseIndicators indicators = ComputeIndicators(readings, 1.0, Weighting::A);
        benchmark::DoNotOptimize(indicators);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(readings.size()));
}
BENCHMARK(BM_AllIndicatorsOfAMillionReadings)->Unit(benchmark::kMillisecond);

void BM_OneReadingIntoTheLiveIndicators(benchmark::State& state)
{
    const std::vector<TimedLevel> readings = Street(1 << 16);
    CLiveIndicators live(1.0);
    std::size_t i = 0;
    std::int64_t lap = 0;
    for (auto _ : state) {
        TimedLevel reading = readings[i];
        reading.time += lap;
        live.Add(reading);
        if (++i == readings.size()) {
            i = 0;
            lap += static_cast<std::int64_t>(readings.size());
        }
    }
    benchmark::DoNotOptimize(live);
}
BENCHMARK(BM_OneReadingIntoTheLiveIndicators)->Unit(benchmark::kNanosecond);

// What the screen asks of the live indicators now and then, after a day.
void BM_LiveResultAfterADay(benchmark::State& state)
{
    CLiveIndicators live(1.0);
    for (const TimedLevel& reading : Street(86400))
        live.Add(reading);
    for (auto _ : state) {
        NoiseIndicators indicators = live.Result(Weighting::A);
        benchmark::DoNotOptimize(indicators);
    }
}
BENCHMARK(BM_LiveResultAfterADay)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
