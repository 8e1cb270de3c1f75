// The receive side fed arbitrary bytes in arbitrary chunks, with a download
// route that claims the header or the data phase between chunks. Every chunk
// the route is handed is read to its last byte, so a chunk reaching past the
// received bytes is caught; what the decoder stores stays within its ranges.
#include "common/Clock.h"
#include "meter/MeterState.h"
#include "meter/ReadingDecoder.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

class CLevels final : public IMeterLinkListener {
public:
    void DisplayValueDecoded(double value) override { Require(std::isfinite(value) && value >= 0.0 && value < 1000.0); }
};

class CClaimingRoute final : public IDownloadRoute {
public:
    bool HeaderPending() const override { return header; }
    bool Receiving() const override { return data; }
    void HeaderChunk(const std::uint8_t* chunk, std::size_t n) override { Touch(chunk, n); }
    void DataChunk(const std::uint8_t* chunk, std::size_t n) override { Touch(chunk, n); }

    bool header = false;
    bool data = false;
    unsigned sum = 0;

private:
    void Touch(const std::uint8_t* chunk, std::size_t n)
    {
        Require(n == 0 || chunk != nullptr);
        for (std::size_t i = 0; i < n; ++i)
            sum += chunk[i];
    }
};

void CheckState(const MeterState& s)
{
    if (s.displayValid) {
        for (int digit : s.displayDigits)
            Require(digit >= 0 && digit <= 9);
    }
    Require(s.hour >= -1 && s.hour <= 23);
    Require(s.minute >= 0 && s.minute <= 60);
    Require(s.second >= 0 && s.second <= 60);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    CManualClock clock(1'700'000'000, 0);
    MeterState state;
    CLevels levels;
    CClaimingRoute route;
    CReadingDecoder decoder(state, levels, clock);
    const bool routed = input.ConsumeBool();
    if (routed)
        decoder.SetDownloadRoute(&route);

    while (input.remaining_bytes() > 0) {
        const std::uint8_t how = input.ConsumeIntegral<std::uint8_t>();
        route.header = (how & 1) != 0;
        route.data = (how & 2) != 0;
        if ((how & 0x0C) == 0x0C)
            decoder.ResetSync();
        if ((how & 0x30) == 0x30)
            clock.AdvanceSeconds(3600); // the meter's clock may cross the PC's midnight
        // Mostly small chunks, now and then one longer than the decoder's buffer.
        const std::size_t most = (how & 0x40) ? 3 * CReadingDecoder::kChunkSize : 64;
        std::vector<std::uint8_t> chunk =
            input.ConsumeBytes<std::uint8_t>(input.ConsumeIntegralInRange<std::size_t>(0, most));
        // Exactly the received bytes on the heap, so a read past them is caught.
        decoder.Receive(chunk.empty() ? nullptr : chunk.data(), chunk.size());
        CheckState(state);
    }
    return 0;
}
