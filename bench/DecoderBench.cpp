// Decoding speed of the real-time stream and heap use per block.
#include "common/Clock.h"
#include "common/TimeText.h"
#include "meter/MeterState.h"
#include "meter/ReadingDecoder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

// Every heap allocation of the process is counted, so the steady loop can
// show that decoding allocates nothing.
namespace {
std::atomic<std::size_t> g_allocations{0};
}

void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

class CCountingEvents final : public IMeterLinkListener {
public:
    std::size_t redraws = 0;
    std::size_t values = 0;
    std::size_t blocks = 0;
    double lastValue = 0.0;

    void InvalidatePanel(const PanelRect&) override { ++redraws; }
    void CurrentValueDecoded() override { ++values; }
    void DisplayValueDecoded(double value) override { lastValue = value; }
    void BlockDecoded() override { ++blocks; }
};

std::uint8_t Bcd(int v) { return static_cast<std::uint8_t>((v / 10) << 4 | (v % 10)); }

std::uint8_t MeterHour(int hour24)
{
    int h12 = hour24 % 12;
    if (h12 == 0)
        h12 = 12;
    return static_cast<std::uint8_t>((hour24 >= 12 ? 0x20 : 0) | (h12 >= 10 ? 0x10 : 0) | (h12 % 10));
}

// An hour of what the meter sends: two 20-byte blocks a second, each with
// value, display and bar, the clock in the first, a status tag or two.
std::vector<std::uint8_t> MeterStream(int seconds)
{
    std::vector<std::uint8_t> s;
    s.reserve(static_cast<std::size_t>(seconds) * 40);
    const auto block = [&](std::initializer_list<std::uint8_t> bytes) {
        const std::size_t start = s.size();
        s.insert(s.end(), bytes);
        s.resize(start + CReadingDecoder::kBlockSize, 0x00);
    };
    int clock = 9 * 3600;
    for (int i = 0; i < seconds; ++i, ++clock) {
        const int tenths = 400 + (i * 37) % 500;
        const std::uint8_t b1 = Bcd(tenths / 100);
        const std::uint8_t b2 = Bcd(tenths % 100);
        const std::uint8_t b2b = Bcd(tenths % 100 / 10 * 10 + (i * 3) % 10);
        block({0xA5, 0x0D, b1, b2, 0xA5, 0x0B, 0xA5, 0x0C, 0xA5, 0x06, MeterHour(clock / 3600 % 24),
            Bcd(clock / 60 % 60), Bcd(clock % 60), 0xA5, 0x02, 0xA5, 0x1B, 0xA5, 0x40});
        block({0xA5, 0x0D, b1, b2b, 0xA5, 0x0B, 0xA5, 0x0C, 0xA5, 0x11, 0xA5, i % 60 < 30 ? std::uint8_t{0x0A}
                                                                                         : std::uint8_t{0x1A}});
    }
    return s;
}

void BM_DecodeStream(benchmark::State& st)
{
    const std::size_t chunk = static_cast<std::size_t>(st.range(0));
    const std::vector<std::uint8_t> stream = MeterStream(3600);
    MeterState state;
    CCountingEvents events;
    CManualClock clock(MakeLocalTime(2024, 5, 17, 9, 0, 0));
    CReadingDecoder decoder(state, events, clock);
    decoder.Receive(stream.data(), 40); // in step, date learnt: the steady path starts here

    std::size_t blocksBefore = events.blocks;
    const std::size_t allocationsBefore = g_allocations.load();
    for (auto _ : st) {
        for (std::size_t pos = 0; pos < stream.size(); pos += chunk)
            decoder.Receive(stream.data() + pos, std::min(chunk, stream.size() - pos));
        benchmark::DoNotOptimize(state);
        benchmark::ClobberMemory();
    }
    const std::size_t allocations = g_allocations.load() - allocationsBefore;
    const std::size_t blocks = events.blocks - blocksBefore;
    if (blocks != static_cast<std::size_t>(st.iterations()) * (stream.size() / CReadingDecoder::kBlockSize))
        st.SkipWithError("blocks were lost");
    st.SetBytesProcessed(static_cast<std::int64_t>(st.iterations()) * static_cast<std::int64_t>(stream.size()));
    st.counters["blocks/s"] = benchmark::Counter(static_cast<double>(blocks), benchmark::Counter::kIsRate);
    st.counters["allocs/block"] = blocks ? static_cast<double>(allocations) / static_cast<double>(blocks) : 0.0;
    benchmark::DoNotOptimize(events.lastValue);
}

} // namespace

BENCHMARK(BM_DecodeStream)->Arg(1)->Arg(20)->Arg(64)->Arg(2048);

BENCHMARK_MAIN();
