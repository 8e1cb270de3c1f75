#pragma once

// Helpers shared by the decoder tests: an events recorder, a download route
// that records what it is handed, and a small encoder for meter streams.
#include "meter/MeterState.h"
#include "meter/ReadingDecoder.h"

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace decoder_test {

struct Event {
    enum Kind { Invalidate, CurrentValue, DisplayValue, Block } kind = Block;
    PanelRect rect{};
    double value = 0.0;
    friend bool operator==(const Event&, const Event&) = default;
};

inline std::string ToText(const Event& e)
{
    char buf[96];
    switch (e.kind) {
    case Event::Invalidate:
        std::snprintf(buf, sizeof buf, "rect(%d,%d,%d,%d)", e.rect.left, e.rect.top, e.rect.right, e.rect.bottom);
        break;
    case Event::CurrentValue:
        std::snprintf(buf, sizeof buf, "current");
        break;
    case Event::DisplayValue:
        std::snprintf(buf, sizeof buf, "display(%.1f)", e.value);
        break;
    case Event::Block:
        std::snprintf(buf, sizeof buf, "block");
        break;
    }
    return buf;
}

class CRecordingEvents : public IMeterLinkListener {
public:
    std::vector<Event> events;

    void InvalidatePanel(const PanelRect& rect) override { events.push_back({Event::Invalidate, rect, 0.0}); }
    void CurrentValueDecoded() override { events.push_back({Event::CurrentValue, {}, 0.0}); }
    void DisplayValueDecoded(double value) override { events.push_back({Event::DisplayValue, {}, value}); }
    void BlockDecoded() override { events.push_back({Event::Block, {}, 0.0}); }

    int Count(Event::Kind kind) const
    {
        int n = 0;
        for (const Event& e : events)
            n += e.kind == kind;
        return n;
    }
    int Invalidations(const PanelRect& rect) const
    {
        int n = 0;
        for (const Event& e : events)
            n += e.kind == Event::Invalidate && e.rect == rect;
        return n;
    }
    void Clear() { events.clear(); }
};

class CRecordingRoute : public IDownloadRoute {
public:
    bool headerPending = false;
    bool receiving = false;
    bool replyAwaited = false;
    std::vector<std::vector<std::uint8_t>> headerChunks;
    std::vector<std::vector<std::uint8_t>> dataChunks;

    bool HeaderPending() const override { return headerPending; }
    bool Receiving() const override { return receiving; }
    bool ReplyAwaited() const override { return replyAwaited; }
    void HeaderChunk(const std::uint8_t* chunk, std::size_t n) override { headerChunks.emplace_back(chunk, chunk + n); }
    void DataChunk(const std::uint8_t* chunk, std::size_t n) override { dataChunks.emplace_back(chunk, chunk + n); }
};

// Every field of the state in one line, so two states compare with a readable diff.
inline std::string Describe(const MeterState& s)
{
    char buf[512];
    std::snprintf(buf, sizeof buf,
        "value=%02X%02X disp=%d%d%d.%d valid=%d bar=%d,%d,%d,%d range=%d fast=%d slow=%d max=%d min=%d rec=%d "
        "dBA=%d dBC=%d auto=%d hold=%d over=%d under=%d clock=%d:%d:%d prev=%d:%d:%d day=%d t24='%s' t12='%s' "
        "clockValid=%d ts=%lld",
        s.valueBytes[0], s.valueBytes[1], s.displayDigits[0], s.displayDigits[1], s.displayDigits[2],
        s.displayDigits[3], s.displayValid, s.barDigits[0], s.barDigits[1], s.barDigits[2], s.barDigits[3], s.range,
        s.fast, s.slow, s.max, s.min, s.rec, s.dBA, s.dBC, s.autoRange, s.hold, s.over, s.under, s.hour, s.minute,
        s.second, s.previousHour, s.previousMinute, s.previousSecond, s.dayOffset, s.clockText24.c_str(),
        s.clockText12.c_str(), s.clockValid, static_cast<long long>(s.clockTimestamp));
    return buf;
}

// Builds meter output: 20-byte blocks that begin with the value tag, whose
// first two bytes are the sync pair 0xA5 0x0D, padded with a filler byte.
class CStreamEncoder {
public:
    std::vector<std::uint8_t> bytes;

    CStreamEncoder& Raw(std::initializer_list<std::uint8_t> raw)
    {
        bytes.insert(bytes.end(), raw);
        return *this;
    }
    CStreamEncoder& Tag(std::uint8_t code) { return Raw({0xA5, code}); }
    CStreamEncoder& Value(std::uint8_t b1, std::uint8_t b2) { return Raw({0xA5, 0x0D, b1, b2}); }
    CStreamEncoder& Clock(std::uint8_t h, std::uint8_t m, std::uint8_t s) { return Raw({0xA5, 0x06, h, m, s}); }
    // Fills the current block up to its 20 bytes.
    CStreamEncoder& EndBlock(std::uint8_t filler = 0x00)
    {
        while (bytes.size() % CReadingDecoder::kBlockSize != m_blockStart)
            bytes.push_back(filler);
        return *this;
    }
    // Later blocks are counted from here (after bytes that precede the first pair).
    void AlignHere() { m_blockStart = bytes.size() % CReadingDecoder::kBlockSize; }

private:
    std::size_t m_blockStart = 0;
};

inline std::uint8_t Bcd(int v) { return static_cast<std::uint8_t>((v / 10) << 4 | (v % 10)); }

// The meter's 12-hour hour byte for a 24-hour hour: bit 5 PM, bit 4 tens.
inline std::uint8_t MeterHour(int hour24)
{
    const bool pm = hour24 >= 12;
    int h12 = hour24 % 12;
    if (h12 == 0)
        h12 = 12;
    return static_cast<std::uint8_t>((pm ? 0x20 : 0) | (h12 >= 10 ? 0x10 : 0) | (h12 % 10));
}

} // namespace decoder_test
