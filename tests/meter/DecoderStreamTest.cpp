// Whole streams through the decoder: the result must not depend on how the
// serial port happened to cut the stream into chunks, and hostile bytes must
// run clean.
#include "tests/meter/ReadingDecoderTestKit.h"

#include "common/Clock.h"
#include "common/TimeText.h"
#include "meter/ReadingDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace decoder_test;

namespace {

const std::int64_t kNow = MakeLocalTime(2024, 10, 26, 23, 58, 0);

// What the meter sends for a while around midnight: two blocks a second,
// the clock in the first, display, bar and value in both, and status tags
// changing now and then; also the odd field the decoder must skip.
std::vector<std::uint8_t> RecordedStream(int seconds)
{
    CStreamEncoder enc;
    enc.Raw({0x13, 0x00, 0x42, 0x0D, 0x11}); // the tail of a block under way
    enc.AlignHere();
    const std::uint8_t statusTags[] = {0x02, 0x03, 0x04, 0x05, 0x0E, 0x07, 0x08, 0x11, 0x0A, 0x1A, 0x1B, 0x1C,
        0x16, 0x17, 0x30, 0x4B, 0x4C, 0x40};
    int clock = 23 * 3600 + 59 * 60 + 30;
    for (int i = 0; i < seconds; ++i, clock = (clock + 1) % 86400) {
        const int tenths = 300 + (i * 37) % 700; // 30.0 .. 99.9 dB
        const std::uint8_t b1 = Bcd(tenths / 100); // hundreds 0, tens
        const std::uint8_t b2 = Bcd(tenths % 100); // units, tenths
        enc.Value(b1, b2).Tag(0x0B).Tag(0x0C);
        if (i % 17 == 5)
            enc.Clock(MeterHour(clock / 3600), 0x61, 0x00); // a garbled minute
        else
            enc.Clock(MeterHour(clock / 3600), Bcd(clock / 60 % 60), Bcd(clock % 60));
        enc.Tag(statusTags[i % std::size(statusTags)]).EndBlock();

        enc.Value(b1, Bcd(tenths / 10 % 10 * 10 + (i * 3) % 10)).Tag(0x0C).Tag(0x0B);
        enc.Tag(statusTags[(i * 5 + 3) % std::size(statusTags)]).Tag(0x99); // an unknown code
        if (i % 3 == 0)
            enc.EndBlock().Raw({0x00, 0x00, 0xA5, 0x0D, 0x00, 0x00}); // a pair not at the block start
        enc.EndBlock();
        enc.bytes.back() = 0xA5; // a tag start without its code in the block
        if (i % 4 == 1) {
            enc.Value(0x07, 0x45).Raw({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
            enc.Raw({0xA5, 0x06, 0x12, 0x30}); // clock bytes running past the block end
        }
    }
    return enc.bytes;
}

struct Outcome {
    std::string state;
    std::vector<Event> events;
};

template <class Split>
Outcome Decode(const std::vector<std::uint8_t>& stream, Split nextSize)
{
    MeterState state;
    CRecordingEvents events;
    CManualClock clock(kNow);
    CReadingDecoder decoder(state, events, clock);
    std::size_t pos = 0;
    while (pos < stream.size()) {
        const std::size_t n = std::min(nextSize(), stream.size() - pos);
        decoder.Receive(stream.data() + pos, n);
        pos += n;
    }
    return {Describe(state), std::move(events.events)};
}

Outcome DecodeWhole(const std::vector<std::uint8_t>& stream)
{
    return Decode(stream, [&] { return stream.size(); });
}

TEST(DecoderStreamTest, RecordedStreamDecodesAsTheMeterShowedIt)
{
    const std::vector<std::uint8_t> stream = RecordedStream(120);
    const Outcome whole = DecodeWhole(stream);
    int blocks = 0;
    int displays = 0;
    for (const Event& e : whole.events) {
        blocks += e.kind == Event::Block;
        displays += e.kind == Event::DisplayValue;
        if (e.kind == Event::DisplayValue) {
            EXPECT_GE(e.value, 30.0);
            EXPECT_LT(e.value, 100.0);
        }
    }
    EXPECT_EQ(blocks * 20, static_cast<int>(stream.size()) - 5);
    EXPECT_GE(displays, 120);
    // 23:59:30 plus 119 seconds, past midnight once.
    EXPECT_NE(whole.state.find("clock=0:1:29 "), std::string::npos) << whole.state;
    EXPECT_NE(whole.state.find("day=1 "), std::string::npos) << whole.state;
    EXPECT_NE(whole.state.find("t12='12:01:29'"), std::string::npos) << whole.state;
}

TEST(DecoderStreamTest, AnySplitIntoChunksGivesTheSameResult)
{
    const std::vector<std::uint8_t> stream = RecordedStream(90);
    const Outcome whole = DecodeWhole(stream);

    const Outcome byteByByte = Decode(stream, [] { return std::size_t{1}; });
    EXPECT_EQ(byteByByte.state, whole.state);
    EXPECT_EQ(byteByByte.events, whole.events);

    std::mt19937 rng(20240517);
    for (int round = 0; round < 300; ++round) {
        // Mostly small chunks as the port delivers them, sometimes empty or huge ones.
        std::uniform_int_distribution<int> kind(0, 9);
        std::uniform_int_distribution<std::size_t> small(0, 25);
        std::uniform_int_distribution<std::size_t> large(26, 6000);
        const Outcome split = Decode(stream, [&] { return kind(rng) < 8 ? small(rng) : large(rng); });
        ASSERT_EQ(split.state, whole.state) << "round " << round;
        ASSERT_EQ(split.events.size(), whole.events.size()) << "round " << round;
        for (std::size_t i = 0; i < whole.events.size(); ++i)
            ASSERT_EQ(ToText(split.events[i]), ToText(whole.events[i])) << "round " << round << " event " << i;
    }
}

TEST(DecoderStreamTest, SplitPairBeforeALongChunkLosesNothing)
{
    std::vector<std::uint8_t> stream{0x00, 0x10};
    const std::vector<std::uint8_t> recorded = RecordedStream(100); // about 5 kB
    stream.insert(stream.end(), recorded.begin() + 5, recorded.end());
    ASSERT_EQ(stream[2], 0xA5);
    ASSERT_GT(stream.size(), 5000u);
    const Outcome whole = DecodeWhole(stream);
    // The 0xA5 ends the first chunk; the rest arrives in one chunk past the buffer size.
    std::size_t call = 0;
    const Outcome split = Decode(stream, [&] { return ++call == 1 ? std::size_t{3} : stream.size(); });
    EXPECT_EQ(split.state, whole.state);
    EXPECT_EQ(split.events, whole.events);
}

TEST(DecoderStreamTest, PairIsFoundAfterLongRunsWithoutIt)
{
    for (const std::size_t at : {std::size_t{2046}, std::size_t{2047}, std::size_t{2048}, std::size_t{4095},
             std::size_t{9000}}) {
        SCOPED_TRACE(at);
        std::vector<std::uint8_t> stream(at, 0x0D); // 0x0D alone is no pair
        CStreamEncoder enc;
        enc.Value(0x00, 0x00).Tag(0x0A).EndBlock();
        stream.insert(stream.end(), enc.bytes.begin(), enc.bytes.end());
        for (const std::size_t chunk : {std::size_t{1}, std::size_t{7}, std::size_t{2048}, stream.size()}) {
            MeterState state;
            CRecordingEvents events;
            CManualClock clock(kNow);
            CReadingDecoder decoder(state, events, clock);
            for (std::size_t pos = 0; pos < stream.size(); pos += chunk)
                decoder.Receive(stream.data() + pos, std::min(chunk, stream.size() - pos));
            EXPECT_TRUE(state.rec) << "chunks of " << chunk;
            EXPECT_EQ(events.Count(Event::Block), 1) << "chunks of " << chunk;
        }
    }
}

TEST(DecoderStreamTest, BadBlockInsideALongChunkDropsTheRestOfIt)
{
    CStreamEncoder enc;
    for (int i = 0; i < 300; ++i) {
        enc.Value(0x05, 0x50).Tag(i == 100 ? 0x0A : 0x02);
        if (i == 100)
            enc.Raw({0xFF});
        enc.EndBlock();
    }
    MeterState state;
    CRecordingEvents events;
    CManualClock clock(kNow);
    CReadingDecoder decoder(state, events, clock);
    decoder.Receive(enc.bytes.data(), enc.bytes.size());
    EXPECT_EQ(events.Count(Event::Block), 100);
    EXPECT_FALSE(state.rec);

    // The next block is dropped, the one after it is found by a new hunt.
    decoder.Receive(enc.bytes.data(), 20);
    EXPECT_FALSE(decoder.Synced());
    decoder.Receive(enc.bytes.data(), 5000);
    EXPECT_TRUE(decoder.Synced());
    EXPECT_EQ(events.Count(Event::Block), 200);
}

// Bytes the meter would never send, biased towards the ones that matter.
std::vector<std::uint8_t> HostileStream(std::mt19937& rng, std::size_t length)
{
    const std::uint8_t favourites[] = {0xA5, 0xA5, 0xA5, 0x0D, 0x06, 0x0B, 0x0C, 0xFF, 0xBB, 0x1A, 0x99, 0x00};
    std::uniform_int_distribution<int> pick(0, 3);
    std::uniform_int_distribution<int> any(0, 255);
    std::uniform_int_distribution<std::size_t> fav(0, std::size(favourites) - 1);
    std::vector<std::uint8_t> bytes(length);
    for (std::uint8_t& b : bytes)
        b = pick(rng) == 0 ? static_cast<std::uint8_t>(any(rng)) : favourites[fav(rng)];
    return bytes;
}

void ExpectSaneState(const MeterState& s)
{
    EXPECT_GE(s.hour, -1);
    EXPECT_LE(s.hour, 23);
    EXPECT_LE(s.minute, 60);
    EXPECT_LE(s.second, 60);
    EXPECT_LE(s.range, 4);
    for (int d : s.displayDigits) {
        EXPECT_GE(d, 0);
        EXPECT_LE(d, 9);
    }
    EXPECT_LE(s.clockText12.size(), 15u); // short enough to stay off the heap
    EXPECT_LE(s.clockText24.size(), 15u);
}

TEST(DecoderStreamTest, HostileBytesRunClean)
{
    std::mt19937 rng(4711);
    std::uniform_int_distribution<std::size_t> lengths(0, 30000);
    std::uniform_int_distribution<int> chunkKind(0, 3);
    std::uniform_int_distribution<std::size_t> small(0, 64);
    std::uniform_int_distribution<std::size_t> large(2000, 9000);
    std::bernoulli_distribution flip(0.05);
    for (int round = 0; round < 60; ++round) {
        const std::vector<std::uint8_t> stream = HostileStream(rng, lengths(rng));
        MeterState state;
        CRecordingEvents events;
        CRecordingRoute route;
        CManualClock clock(kNow);
        CReadingDecoder decoder(state, events, clock);
        if (round % 2 == 1)
            decoder.SetDownloadRoute(&route);
        std::size_t pos = 0;
        while (pos < stream.size()) {
            const std::size_t n = std::min(chunkKind(rng) == 0 ? large(rng) : small(rng), stream.size() - pos);
            decoder.Receive(stream.data() + pos, n);
            pos += n;
            if (flip(rng))
                route.receiving = !route.receiving;
            if (flip(rng))
                route.headerPending = !route.headerPending;
            if (flip(rng))
                route.replyAwaited = !route.replyAwaited;
            if (flip(rng))
                decoder.ResetSync();
            clock.AdvanceSeconds(3600);
        }
        ExpectSaneState(state);
        for (const Event& e : events.events) {
            if (e.kind == Event::DisplayValue) {
                EXPECT_GE(e.value, 0.0);
                EXPECT_LE(e.value, 999.9);
            }
        }
        for (const auto& chunk : route.headerChunks)
            EXPECT_FALSE(chunk.empty());
    }
}

// A port read late hands over the end of a block and the start of the reply
// together: while a reply is awaited the reply goes to the download from its
// 0xBB, and the block before it is decoded as ever. 0xBB inside a block, or
// when nothing was asked, is stream.
TEST(DecoderStreamTest, AReplyInTheChunkThatEndsABlockGoesToTheDownload)
{
    CStreamEncoder enc;
    enc.Value(0x06, 0x42).Tag(0x0B).EndBlock();
    enc.Value(0x07, 0x15).Tag(0x0B).EndBlock();
    const std::vector<std::uint8_t> reply{0xBB, 0x00, 0x7D, 0xAA, 0x07};
    std::vector<std::uint8_t> bytes = enc.bytes;
    bytes.insert(bytes.end(), reply.begin(), reply.end());
    for (const bool awaited : {true, false}) {
        SCOPED_TRACE(awaited ? "a reply awaited" : "nothing asked");
        MeterState state;
        CRecordingEvents events;
        CRecordingRoute route;
        route.replyAwaited = awaited;
        CManualClock clock(kNow);
        CReadingDecoder decoder(state, events, clock);
        decoder.SetDownloadRoute(&route);
        decoder.Receive(bytes.data(), 30); // the first block and half the second
        decoder.Receive(bytes.data() + 30, bytes.size() - 30);
        EXPECT_EQ(state.valueBytes[1], 0x15) << "the second block is decoded";
        if (awaited) {
            ASSERT_EQ(route.headerChunks.size(), 1u);
            EXPECT_EQ(route.headerChunks[0], reply);
        } else {
            EXPECT_TRUE(route.headerChunks.empty());
        }
    }
}

TEST(DecoderStreamTest, ClockTagsWithEveryByteRunClean)
{
    // All hour bytes, with minute and second bytes on a coarse grid.
    MeterState state;
    CRecordingEvents events;
    CManualClock clock(kNow);
    CReadingDecoder decoder(state, events, clock);
    int valid = 0;
    for (int h = 0; h < 256; ++h) {
        for (int m = 0; m < 256; m += 5) {
            CStreamEncoder enc;
            enc.Value(0x00, 0x00)
                .Clock(static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(m), static_cast<std::uint8_t>(m * 3))
                .EndBlock();
            std::replace(enc.bytes.begin(), enc.bytes.end(), std::uint8_t{0xFF}, std::uint8_t{0xFE});
            decoder.Receive(enc.bytes.data(), enc.bytes.size());
            valid += state.clockValid;
            ExpectSaneState(state);
        }
    }
    EXPECT_GT(valid, 0);
}

} // namespace
