// The Noise Indicators panel of the main window: one recorded reading into
// the run's indicators (its calendar time from the date and time texts, then
// the live accumulator), and one refresh of the panel's texts over a full
// store of 40000 readings, which the panel asks for at most four times a
// second.
#include "monitor/RecordingIndicators.h"

#include "logger/IndicatorPanelText.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>

namespace {

// A store of count readings a second apart from 7 March 2024 9:05:00, 45 to 95 dB.
std::unique_ptr<ReadingStore> Street(int count)
{
    auto store = std::make_unique<ReadingStore>();
    std::mt19937 random(47);
    std::uniform_int_distribution<int> tenths(450, 950);
    for (int i = 0; i < count; ++i) {
        const int t = 9 * 3600 + 5 * 60 + i;
        DataSample& sample = (*store)[i];
        sample.value = tenths(random) / 10.0;
        sample.valid = 1;
        sample.date = t < 86400 ? "7-3-2024" : "8-3-2024";
        sample.time = std::to_string(t % 86400 / 3600) + ":" + std::to_string(t / 60 % 60 / 10) +
                      std::to_string(t / 60 % 10) + ":" + std::to_string(t % 60 / 10) + std::to_string(t % 10);
        sample.unit = "dBA";
    }
    return store;
}

void BM_OneRecordedReadingIntoTheRunsIndicators(benchmark::State& state)
{
    const std::unique_ptr<ReadingStore> store = Street(ReadingStore::kSlots);
    auto indicators = std::make_unique<CRecordingIndicators>();
    int count = 0;
    for (auto _ : state) {
        if (count == ReadingStore::kSlots) {
            state.PauseTiming();
            store->SetCount(0);
            indicators->Follow(*store, 1.0);
            count = 0;
            state.ResumeTiming();
        }
        store->SetCount(++count);
        benchmark::DoNotOptimize(indicators->Follow(*store, 1.0));
    }
}
BENCHMARK(BM_OneRecordedReadingIntoTheRunsIndicators)->Unit(benchmark::kNanosecond);

void BM_PanelTextsOfAFullStore(benchmark::State& state)
{
    const std::unique_ptr<ReadingStore> store = Street(ReadingStore::kSlots);
    store->SetCount(ReadingStore::kSlots);
    CRecordingIndicators indicators;
    indicators.Follow(*store, 1.0);
    for (auto _ : state) {
        const IndicatorPanelTexts texts =
            MakeIndicatorPanelTexts(kWholeRunHeading, IndicatorColumn{indicators.Results(), true}, IndicatorColumn{{}, false});
        benchmark::DoNotOptimize(texts);
    }
}
BENCHMARK(BM_PanelTextsOfAFullStore)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
