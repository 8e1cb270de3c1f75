#pragma once

#include "meter/MeterLinkListener.h"
#include "meter/MeterState.h"

#include <array>
#include <cstddef>
#include <cstdint>

class IClock;

// Where chunks of a data-logger download go instead of the real-time block assembly.
class IDownloadRoute {
public:
    virtual ~IDownloadRoute() = default;
    virtual bool HeaderPending() const = 0; // header phase above 0
    virtual bool Receiving() const = 0;     // data phase in progress
    // A request waits for its reply: a reply may then begin right after a
    // block inside the chunk that ends the block.
    virtual bool ReplyAwaited() const { return false; }
    virtual void HeaderChunk(const std::uint8_t* chunk, std::size_t n) = 0;
    virtual void DataChunk(const std::uint8_t* chunk, std::size_t n) = 0;
};

// The receive side of the meter link: hunts for the 0xA5 0x0D pair, cuts the
// stream into 20-byte blocks and decodes their tagged fields into MeterState.
// Runs on the UI thread, once per receive notification; what it decodes it
// tells the link's listeners (panel areas, values, the end of each block).
class CReadingDecoder {
public:
    static constexpr std::size_t kChunkSize = 2048;
    static constexpr std::size_t kBlockSize = 20;

    CReadingDecoder(MeterState& state, IMeterLinkListener& events, const IClock& clock);

    void SetDownloadRoute(IDownloadRoute* route) { m_route = route; }

    // One receive notification with all bytes that were waiting.
    void Receive(const std::uint8_t* data, std::size_t n);

    // Back to hunting for the start of a block (port opened, link lost, empty logger).
    void ResetSync();

    bool Synced() const { return m_synced; }
    bool Connected() const { return m_connected; }
    void SetConnected(bool connected) { m_connected = connected; }
    std::int64_t LastReceiveTime() const { return m_lastReceiveTime; }
    // The tick count (milliseconds) of the last receive notification.
    std::uint32_t LastReceiveTick() const { return m_lastReceiveTick; }

private:
    // A chunk in step goes to the download or to the block assembly.
    // Returns false when the chunk ended early (0xFF block, bad display digit).
    bool HandleChunk(const std::uint8_t* chunk, std::size_t n);
    bool AssembleBlocks(const std::uint8_t* bytes, std::size_t n);
    bool ProcessBlock();
    // Hunting: the position in data just after the pair, or n when not found.
    std::size_t Hunt(const std::uint8_t* data, std::size_t n);

    // Tag handlers (ReadingTags.cpp). ScanBlock returns false when the chunk ends.
    bool ScanBlock();
    void FlagTag(std::uint8_t code);
    void ClockTag(std::uint8_t h, std::uint8_t m, std::uint8_t s);
    bool DisplayTag();
    void BarTag();
    void ValueTag(std::uint8_t b1, std::uint8_t b2);
    std::int64_t ClockTimestamp(int hour, int minute, int second);
    void LearnDay(std::int64_t now);

    MeterState& m_state;
    IMeterLinkListener& m_events;
    const IClock& m_clock;
    IDownloadRoute* m_route = nullptr;

    bool m_synced = false;
    bool m_connected = false;
    std::int64_t m_lastReceiveTime = 0;
    std::uint32_t m_lastReceiveTick = 0;

    // Only used to put a sync pair split across two chunks back in front of its chunk.
    std::array<std::uint8_t, kChunkSize> m_chunk{};
    std::size_t m_searchIndex = 0;  // bytes hunted so far, wraps within kChunkSize
    std::uint8_t m_huntPrevious = 0; // the byte before the one being hunted
    std::array<std::uint8_t, kBlockSize> m_block{};
    std::size_t m_blockIndex = 0;
    bool m_badBlock = false;

    // The PC's local date for clock timestamps, kept for the day Now() falls in:
    // mktime for every clock tag would cost more than the rest of the decoding.
    bool m_dayKnown = false;
    bool m_dayUniform = false; // no daylight-saving change inside the day
    int m_dayYear = 0;
    int m_dayMonth = 0;
    int m_dayDay = 0;
    std::int64_t m_dayStart = 0;
    std::int64_t m_nextDayStart = 0;
};
