// The data-logger download fed arbitrary replies through the decoder, the way
// the link hands them over, with Start, Cancel, Abort and the request timer
// between chunks. Every finished download is checked: its data lie within
// the announced length, every set lies inside the data and begins at a
// marker, and every level rebuilt from a set comes from a reading whose
// bytes are packed BCD.
//
// Input: a command byte, then for a chunk its bytes.
//   0xF0 Start, 0xF1 Cancel, 0xF2 Abort, 0xF3 the request timer, 0xF4 the
//   stream hunted for anew; any other byte b: a chunk of the next (b & 0x7F)
//   bytes (the whole rest when b & 0x80 and the rest is shorter). A first
//   byte 0xFF gives the download a 64-byte buffer, so announcements fail.
#include "common/Clock.h"
#include "common/PackedBcd.h"
#include "logger/DownloadedSet.h"
#include "meter/LoggerDownload.h"
#include "meter/MeterState.h"
#include "meter/ReadingDecoder.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckFinished(const LoggerDownloadResult& r)
{
    Require(r.expected > 0 && r.expected <= CLoggerDownload::kMaxDataBytes);
    Require(r.received >= 0 && r.received <= r.expected);
    Require(r.data.size() == static_cast<std::size_t>(r.received));
    Require(!r.sets.empty() && r.sets.size() <= static_cast<std::size_t>(kRecordSetTableSize));
    Require(r.damagedReadings.size() == r.sets.size());
    Require(r.setsLeftOut >= 0);
    const std::span<const std::uint8_t> data(r.data);
    int previousEnd = r.sets[0].end;
    Require(previousEnd >= -1);
    int damaged = 0;
    for (std::size_t i = 1; i < r.sets.size(); ++i) {
        const LoggerRecordSet& set = r.sets[i];
        Require(set.begin > previousEnd && set.begin <= set.end);
        Require(set.end < static_cast<int>(r.data.size()));
        Require(set.end - set.begin + 1 >= 9);
        const std::uint8_t marker = r.data[static_cast<std::size_t>(set.begin)];
        Require(marker == CLoggerDownload::kMarkerA || marker == CLoggerDownload::kMarkerC);
        previousEnd = set.end;

        // The levels a reading's bytes give, where they are packed BCD.
        std::vector<double> levels;
        int notBcd = 0;
        const int readings = DownloadedSampleCount(set);
        for (int k = 0; k < readings; ++k) {
            const std::size_t at = static_cast<std::size_t>(set.begin + 9 + 2 * k);
            Require(at + 1 <= static_cast<std::size_t>(set.end));
            const BcdDigits digits = UnpackBcd(r.data[at], r.data[at + 1]);
            if (AllDecimal(digits))
                levels.push_back(LevelOfDigits(digits));
            else
                ++notBcd;
        }
        Require(r.damagedReadings[i] == notBcd);
        damaged += notBcd;
        const RebuiltSet rebuilt = RebuildSamples(data, set);
        Require(rebuilt.damaged == notBcd);
        Require(rebuilt.samples.size() == levels.size());
        for (std::size_t k = 0; k < levels.size(); ++k) {
            Require(rebuilt.samples[k].valid == 1);
            Require(std::fabs(rebuilt.samples[k].value - levels[k]) < 1e-9);
        }
        Require(DownloadedValidCount(data, set) == static_cast<int>(levels.size()));
    }
    (void)damaged;
    (void)r.Message();
}

class CHost final : public ILoggerDownloadHost {
public:
    void StartRequestTimer(int ms) override { Require(ms > 0); timer = true; }
    void StopRequestTimer() override { timer = false; }
    void SendRequest(const std::vector<std::uint8_t>& bytes) override { Require(timer && !bytes.empty()); }
    void ResyncStream() override { resync = true; }
    void DownloadProgress(int received, int expected) override
    {
        Require(received >= 0 && received <= expected);
    }
    void DownloadEnded(LoggerDownloadResult result) override
    {
        if (result.outcome == DownloadOutcome::Finished)
            CheckFinished(result);
        else
            Require(result.data.empty() && result.sets.empty());
        ++ended;
    }

    bool timer = false;
    bool resync = false;
    int ended = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CManualClock clock(1'700'000'000, 0);
    MeterState state;
    IMeterLinkListener levels;
    CHost host;
    // Now and then a small buffer, so an announced length may not fit.
    const bool small = size > 0 && data[0] == 0xFF;
    const std::size_t maxBuffer = small ? 64 : CLoggerDownload::kMaxDataBytes;
    CLoggerDownload download(host, maxBuffer);
    CReadingDecoder decoder(state, levels, clock);
    decoder.SetDownloadRoute(&download);

    std::size_t at = small ? 1 : 0;
    while (at < size) {
        const std::uint8_t command = data[at++];
        switch (command) {
        case 0xF0: {
            const bool could = download.CanStart();
            Require(download.Start() == could);
            break;
        }
        case 0xF1: download.Cancel(); break;
        case 0xF2: download.LinkLost(); break;
        case 0xF3: download.OnRequestTick(); break;
        case 0xF4: decoder.ResetSync(); break;
        default: {
            std::size_t n = command & 0x7F;
            if (n > size - at) {
                if ((command & 0x80) == 0)
                    return 0;
                n = size - at;
            }
            // Exactly the chunk's bytes on the heap, so a read past them is caught.
            const std::vector<std::uint8_t> chunk(data + at, data + at + n);
            at += n;
            decoder.Receive(chunk.empty() ? nullptr : chunk.data(), chunk.size());
            break;
        }
        }
        if (host.resync) {
            host.resync = false;
            decoder.ResetSync();
        }
        Require(download.Received() >= 0 && download.Received() <= std::max(download.Expected(), 0));
    }
    // A lost link ends whatever is under way, and nothing is left waiting.
    download.LinkLost();
    Require(!download.Busy() && download.CanStart());
    return 0;
}
