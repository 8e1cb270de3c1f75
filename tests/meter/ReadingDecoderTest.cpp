#include "tests/meter/ReadingDecoderTestKit.h"

#include "common/Clock.h"
#include "common/TimeText.h"
#include "meter/ReadingDecoder.h"

#include <gtest/gtest.h>

#include <vector>

using namespace decoder_test;

namespace {

constexpr PanelRect kFace{41, 39, 166, 185};
constexpr PanelRect kMode{45, 50, 149, 60};
constexpr PanelRect kLimit{45, 40, 149, 50};
constexpr PanelRect kStatus{44, 168, 156, 181};
constexpr PanelRect kHold{120, 168, 150, 178};
constexpr PanelRect kRange{44, 61, 152, 88};
constexpr PanelRect kClock{41, 88, 156, 112};
constexpr PanelRect kDisplay{41, 113, 152, 168};

class ReadingDecoderTest : public ::testing::Test {
protected:
    MeterState state;
    CRecordingEvents events;
    CManualClock clock{MakeLocalTime(2024, 5, 17, 10, 0, 0)};
    CReadingDecoder decoder{state, events, clock};

    void Feed(const std::vector<std::uint8_t>& bytes) { decoder.Receive(bytes.data(), bytes.size()); }

    // One block in step with the given tags after the leading value tag.
    void FeedBlock(CStreamEncoder& enc)
    {
        enc.EndBlock();
        Feed(enc.bytes);
        enc.bytes.clear();
    }
    // Brings the decoder in step with an empty block and forgets its events.
    void Sync()
    {
        CStreamEncoder enc;
        enc.Value(0x00, 0x00);
        FeedBlock(enc);
        ASSERT_TRUE(decoder.Synced());
        events.Clear();
    }
    void FeedTags(std::initializer_list<std::uint8_t> codes)
    {
        CStreamEncoder enc;
        for (std::uint8_t c : codes)
            enc.Tag(c);
        FeedBlock(enc);
    }
    void FeedClock(std::uint8_t h, std::uint8_t m, std::uint8_t s)
    {
        CStreamEncoder enc;
        enc.Clock(h, m, s);
        FeedBlock(enc);
    }
};

// --- receiving, hunting and block assembly ---

TEST_F(ReadingDecoderTest, FirstDataConnectsAndRedrawsTheFaceOnce)
{
    clock.SetNow(1234567);
    clock.SetTick(4000);
    Feed({0x00});
    EXPECT_TRUE(decoder.Connected());
    EXPECT_EQ(decoder.LastReceiveTime(), 1234567);
    EXPECT_EQ(decoder.LastReceiveTick(), 4000u);
    clock.AdvanceSeconds(5);
    clock.AdvanceMs(5250);
    Feed({0x00});
    EXPECT_EQ(decoder.LastReceiveTime(), 1234572);
    EXPECT_EQ(decoder.LastReceiveTick(), 9250u);
    EXPECT_EQ(events.Invalidations(kFace), 1);

    decoder.SetConnected(false); // link supervision saw the meter go quiet
    Feed({});
    EXPECT_TRUE(decoder.Connected());
    EXPECT_EQ(events.Invalidations(kFace), 2);
}

TEST_F(ReadingDecoderTest, PairSplitAcrossChunksStartsTheBlock)
{
    Feed({0x53, 0x11, 0xA5});
    EXPECT_FALSE(decoder.Synced());
    // 0x0D plus 18 more bytes: with the 0xA5 before it that is exactly one block.
    std::vector<std::uint8_t> rest{0x0D, 0x08, 0x53, 0xA5, 0x0B};
    rest.resize(19, 0x00);
    Feed(rest);
    EXPECT_TRUE(decoder.Synced());
    EXPECT_EQ(events.Count(Event::Block), 1);
    EXPECT_EQ(state.valueBytes[0], 0x08);
    EXPECT_EQ(state.valueBytes[1], 0x53);
    EXPECT_DOUBLE_EQ(state.DisplayValue(), 85.3);
}

TEST_F(ReadingDecoderTest, BytesBeforeThePairAreDiscarded)
{
    // The tail of a block already under way: its FAST tag must not count.
    Feed({0x00, 0xA5, 0x02, 0xA5, 0x0A, 0x00});
    EXPECT_FALSE(decoder.Synced());
    EXPECT_FALSE(state.fast);
    EXPECT_FALSE(state.rec);

    // The stray 0x0D after 0x77 is no pair; the block starts at the 0xA5.
    std::vector<std::uint8_t> chunk{0x77, 0x0D, 0xA5, 0x0D, 0x01, 0x23, 0xA5, 0x03};
    chunk.resize(2 + 20, 0x00);
    Feed(chunk);
    EXPECT_TRUE(decoder.Synced());
    EXPECT_TRUE(state.slow);
    EXPECT_EQ(state.valueBytes[0], 0x01);
    EXPECT_EQ(events.Count(Event::Block), 1);
}

TEST_F(ReadingDecoderTest, BlocksCompleteOnlyWithTheirTwentiethByte)
{
    Sync();
    std::vector<std::uint8_t> chunk(45, 0x00);
    Feed(chunk);
    EXPECT_EQ(events.Count(Event::Block), 2);
    // 5 bytes wait in the block: 14 more do not complete it, the 15th does.
    for (int i = 0; i < 14; ++i)
        Feed({0x00});
    EXPECT_EQ(events.Count(Event::Block), 2);
    Feed({0x00});
    EXPECT_EQ(events.Count(Event::Block), 3);
}

TEST_F(ReadingDecoderTest, BlockAfterABadOneIsDroppedAndTheStreamHuntedAnew)
{
    Sync();
    std::vector<std::uint8_t> chunk(20, 0x00);
    chunk[7] = 0xFF;
    // The rest of the chunk (a block with REC on) is dropped with the bad block.
    CStreamEncoder good;
    good.Value(0x00, 0x00).Tag(0x0A).EndBlock();
    chunk.insert(chunk.end(), good.bytes.begin(), good.bytes.end());
    Feed(chunk);
    EXPECT_FALSE(state.rec);
    EXPECT_EQ(events.Count(Event::Block), 0);
    EXPECT_TRUE(decoder.Synced());

    // The next complete clean block is dropped too, and the hunt starts again.
    Feed(good.bytes);
    EXPECT_FALSE(state.rec);
    EXPECT_FALSE(decoder.Synced());
    EXPECT_EQ(events.Count(Event::Block), 0);

    Feed(good.bytes);
    EXPECT_TRUE(state.rec);
    EXPECT_EQ(events.Count(Event::Block), 1);
}

TEST_F(ReadingDecoderTest, ConsumedBytesAreNotScannedAgain)
{
    Sync();
    // Value bytes 0xA5 0x02 are data, not a FAST tag; an unknown code 0xA5
    // consumes its code byte, so the following 0x03 is no tag either.
    CStreamEncoder enc;
    enc.Value(0xA5, 0x02).Raw({0xA5, 0xA5, 0x03}).Clock(0xA5, 0x16, 0x00);
    FeedBlock(enc);
    EXPECT_FALSE(state.fast);
    EXPECT_FALSE(state.slow);
    EXPECT_FALSE(state.hold);
    EXPECT_EQ(state.hour, 17); // 0xA5: PM, no tens bit, units 5
}

TEST_F(ReadingDecoderTest, TagsRunningPastTheBlockEndAreIgnored)
{
    Sync();
    std::vector<std::uint8_t> block(20, 0x00);
    block[18] = 0xA5; // code byte at 19: still inside
    block[19] = 0x02;
    Feed(block);
    EXPECT_TRUE(state.fast);

    block.assign(20, 0x00);
    block[16] = 0xA5; // clock with its bytes beyond the block
    block[17] = 0x06;
    block[18] = 0x12;
    block[19] = 0x00;
    Feed(block);
    EXPECT_EQ(state.hour, -1);
    EXPECT_FALSE(state.clockValid);

    block.assign(20, 0x00);
    block[17] = 0xA5; // value tag with one data byte beyond
    block[18] = 0x0D;
    block[19] = 0x42;
    Feed(block);
    EXPECT_EQ(state.valueBytes[0], 0x00);
    EXPECT_EQ(events.Count(Event::CurrentValue), 0);

    block.assign(20, 0x00);
    block[19] = 0xA5; // no code byte in this block; the next block's first byte is not it
    Feed(block);
    block.assign(20, 0x00);
    block[0] = 0x03;
    Feed(block);
    EXPECT_FALSE(state.slow);
    EXPECT_EQ(events.Count(Event::Block), 5);
}

// --- status tags ---

struct FlagCase {
    std::uint8_t code;
    PanelRect rect;
    bool MeterState::*flag;
    bool value;
};

TEST_F(ReadingDecoderTest, EveryFlagTagSetsItsFieldAndRedrawsItsArea)
{
    const FlagCase cases[] = {
        {0x02, kMode, &MeterState::fast, true}, {0x03, kMode, &MeterState::slow, true},
        {0x04, kMode, &MeterState::max, true}, {0x05, kMode, &MeterState::min, true},
        {0x0E, kMode, &MeterState::min, false}, {0x07, kLimit, &MeterState::over, true},
        {0x08, kLimit, &MeterState::under, true}, {0x11, kLimit, &MeterState::under, false},
        {0x0A, kStatus, &MeterState::rec, true}, {0x1A, kStatus, &MeterState::rec, false},
        {0x1B, kStatus, &MeterState::dBA, true}, {0x1C, kStatus, &MeterState::dBC, true},
        {0x16, kHold, &MeterState::hold, true}, {0x17, kHold, &MeterState::hold, false},
        {0x40, kRange, &MeterState::autoRange, true},
    };
    Sync();
    for (const FlagCase& c : cases) {
        SCOPED_TRACE(c.code);
        events.Clear();
        FeedTags({c.code});
        EXPECT_EQ(state.*c.flag, c.value);
        ASSERT_EQ(events.events.size(), 2u);
        EXPECT_EQ(events.events[0], (Event{Event::Invalidate, c.rect, 0.0}));
    }
    // Pairs switch each other off.
    EXPECT_FALSE(state.fast);
    EXPECT_FALSE(state.dBA);
    FeedTags({0x02, 0x1B, 0x04});
    EXPECT_FALSE(state.slow);
    EXPECT_FALSE(state.dBC);
    EXPECT_FALSE(state.min);
    FeedTags({0x07, 0x08, 0x11});
    EXPECT_FALSE(state.over);
    EXPECT_FALSE(state.under);
}

TEST_F(ReadingDecoderTest, ConditionalTagsRedrawOnlyWhenTheyChangeSomething)
{
    Sync();
    FeedTags({0x04, 0x04, 0x05, 0x05, 0x08, 0x08, 0x1B, 0x1B, 0x1C, 0x1C});
    EXPECT_EQ(events.Invalidations(kMode), 2);
    EXPECT_EQ(events.Invalidations(kLimit), 1);
    EXPECT_EQ(events.Invalidations(kStatus), 2);
    EXPECT_TRUE(state.min);
    EXPECT_FALSE(state.max);

    events.Clear();
    FeedTags({0x0E, 0x0E, 0x02, 0x02, 0x07, 0x07, 0x16, 0x16});
    EXPECT_EQ(events.Invalidations(kMode), 4); // 0x0E and 0x02 always redraw
    EXPECT_EQ(events.Invalidations(kLimit), 2);
    EXPECT_EQ(events.Invalidations(kHold), 2);
}

TEST_F(ReadingDecoderTest, RangeTagsClearMaxMinAndOnlyAutoTurnsHoldOff)
{
    Sync();
    FeedTags({0x16, 0x40, 0x04});
    EXPECT_EQ(state.range, 4);
    EXPECT_TRUE(state.autoRange);
    EXPECT_FALSE(state.hold);
    EXPECT_TRUE(state.max);

    const std::uint8_t fixedRanges[] = {0x30, 0x4B, 0x4C};
    int expected = 1;
    for (std::uint8_t code : fixedRanges) {
        FeedTags({0x16, 0x04, code});
        EXPECT_EQ(state.range, expected++);
        EXPECT_TRUE(state.hold) << int(code);
        EXPECT_FALSE(state.max);
        EXPECT_FALSE(state.autoRange);
    }
    // The same range again changes nothing and redraws nothing.
    FeedTags({0x04});
    events.Clear();
    FeedTags({0x4C});
    EXPECT_TRUE(state.max);
    EXPECT_EQ(events.Invalidations(kRange), 0);
}

// --- clock ---

TEST_F(ReadingDecoderTest, ClockTagReadsTheMetersTwelveHourClock)
{
    Sync();
    FeedClock(0x12, 0x00, 0x00);
    EXPECT_EQ(state.hour, 0);
    EXPECT_EQ(state.clockText24, "0:00:00");
    EXPECT_EQ(state.clockText12, "12:00:00");
    EXPECT_TRUE(state.clockValid);
    EXPECT_EQ(state.clockTimestamp, MakeLocalTime(2024, 5, 17, 0, 0, 0));
    EXPECT_EQ(events.Invalidations(kClock), 1);

    FeedClock(0x32, 0x30, 0x15);
    EXPECT_EQ(state.hour, 12);
    EXPECT_EQ(state.minute, 30);
    EXPECT_EQ(state.second, 15);
    EXPECT_EQ(state.clockText24, "12:30:15");
    EXPECT_EQ(state.clockText12, "12:30:15");

    FeedClock(0x21, 0x05, 0x09);
    EXPECT_EQ(state.clockText24, "13:05:09");
    EXPECT_EQ(state.clockText12, "1:05:09");
    EXPECT_EQ(state.clockTimestamp, MakeLocalTime(2024, 5, 17, 13, 5, 9));
    EXPECT_EQ(state.dayOffset, 0);
}

TEST_F(ReadingDecoderTest, ClockRollingPastMidnightCountsADay)
{
    Sync();
    FeedClock(0x31, 0x59, 0x59);
    EXPECT_EQ(state.clockText24, "23:59:59");
    FeedClock(0x31, 0x59, 0x59); // the same second again is no rollover
    EXPECT_EQ(state.dayOffset, 0);
    FeedClock(0x12, 0x00, 0x00);
    EXPECT_EQ(state.dayOffset, 1);
    EXPECT_EQ(state.previousHour, 0);
    FeedClock(0x12, 0x00, 0x01);
    EXPECT_EQ(state.dayOffset, 1);
}

TEST_F(ReadingDecoderTest, BadClockFieldsStopAfterWhatWasStored)
{
    Sync();
    FeedClock(0x21, 0x10, 0x20); // 13:10:20
    const std::int64_t stamp = state.clockTimestamp;
    events.Clear();

    FeedClock(0x3F, 0x00, 0x00); // hour 37: nothing changes
    EXPECT_EQ(state.hour, 13);
    EXPECT_EQ(state.clockText12, "1:10:20");

    FeedClock(0x25, 0x61, 0x00); // minute 61: only the hour and the start of the 12-hour text
    EXPECT_EQ(state.hour, 17);
    EXPECT_EQ(state.minute, 10);
    EXPECT_EQ(state.clockText12, "5");
    EXPECT_EQ(state.clockText24, "13:10:20");

    FeedClock(0x26, 0x45, 0x7A); // second 80: hour and minute
    EXPECT_EQ(state.hour, 18);
    EXPECT_EQ(state.minute, 45);
    EXPECT_EQ(state.second, 20);
    EXPECT_EQ(state.clockText12, "6:45");
    EXPECT_EQ(state.clockText24, "13:10:20");
    EXPECT_EQ(state.clockTimestamp, stamp);
    EXPECT_EQ(state.previousHour, 13);
    EXPECT_EQ(events.Invalidations(kClock), 0);

    // A bad clock does not count as leaving 23:59:59.
    FeedClock(0x31, 0x59, 0x59);
    FeedClock(0x12, 0x61, 0x00);
    EXPECT_EQ(state.dayOffset, 0);
}

TEST_F(ReadingDecoderTest, ClockTimestampUsesThePcsDateAcrossDaylightSaving)
{
    Sync();
    // Clocks in Berlin went forward at 2:00 on 31 March 2024.
    clock.SetNow(MakeLocalTime(2024, 3, 31, 12, 0, 0));
    FeedClock(0x01, 0x30, 0x00);
    EXPECT_EQ(state.clockTimestamp, MakeLocalTime(2024, 3, 31, 1, 30, 0));
    FeedClock(0x03, 0x30, 0x00);
    EXPECT_EQ(state.clockTimestamp, MakeLocalTime(2024, 3, 31, 3, 30, 0));
    FeedClock(0x31, 0x00, 0x00);
    EXPECT_EQ(state.clockTimestamp, MakeLocalTime(2024, 3, 31, 23, 0, 0));

    // The next day (an ordinary one) and a jump back in time both follow the PC's date.
    clock.SetNow(MakeLocalTime(2024, 4, 1, 0, 0, 5));
    FeedClock(0x31, 0x00, 0x00);
    EXPECT_EQ(state.clockTimestamp, MakeLocalTime(2024, 4, 1, 23, 0, 0));
    EXPECT_EQ(state.clockTimestamp - MakeLocalTime(2024, 4, 1, 0, 0, 0), 23 * 3600);
    clock.SetNow(MakeLocalTime(2023, 12, 31, 23, 59, 59));
    FeedClock(0x12, 0x00, 0x00);
    EXPECT_EQ(state.clockTimestamp, MakeLocalTime(2023, 12, 31, 0, 0, 0));
    FeedClock(0x26, 0x60, 0x60); // minute and second 60 pass the meter's limits
    EXPECT_EQ(state.clockTimestamp, MakeLocalTime(2023, 12, 31, 18, 60, 60));
}

// --- display, bar and value ---

TEST_F(ReadingDecoderTest, DisplayTagShowsTheStoredValueBytes)
{
    Sync();
    CStreamEncoder enc;
    enc.Value(0x08, 0x53).Tag(0x0B).Tag(0x0C);
    FeedBlock(enc);
    EXPECT_EQ(state.displayDigits[0], 0);
    EXPECT_EQ(state.displayDigits[1], 8);
    EXPECT_EQ(state.displayDigits[2], 5);
    EXPECT_EQ(state.displayDigits[3], 3);
    EXPECT_TRUE(state.displayValid);
    const std::vector<Event> expected{{Event::CurrentValue, {}, 0.0}, {Event::DisplayValue, {}, 85.3},
        {Event::Invalidate, kDisplay, 0.0}, {Event::Invalidate, kRange, 0.0}, {Event::Block, {}, 0.0}};
    EXPECT_EQ(events.events, expected);
    EXPECT_EQ(state.barDigits[1], 8);
    EXPECT_EQ(state.barDigits[3], 3);
}

TEST_F(ReadingDecoderTest, BadDisplayDigitEndsTheChunk)
{
    Sync();
    CStreamEncoder enc;
    enc.Value(0x08, 0x53).Tag(0x0B);
    FeedBlock(enc);
    events.Clear();

    // 0x1A 0x00: the tens digit is no digit. The REC tag after it, the
    // statistics refresh and the next block of the chunk are all dropped.
    enc.Value(0x1A, 0x00).Tag(0x0B).Tag(0x0A).EndBlock();
    enc.Value(0x01, 0x00).Tag(0x16).EndBlock();
    Feed(enc.bytes);
    EXPECT_EQ(state.DisplayValue(), 85.3);
    EXPECT_EQ(state.valueBytes[0], 0x1A);
    EXPECT_FALSE(state.rec);
    EXPECT_FALSE(state.hold);
    EXPECT_EQ(events.events, (std::vector<Event>{{Event::CurrentValue, {}, 0.0}}));

    // The bar takes the nibbles unchecked; the next chunk starts a new block.
    enc.bytes.clear();
    enc.Tag(0x0C).Value(0x09, 0x99).EndBlock();
    Feed(enc.bytes);
    EXPECT_EQ(state.barDigits[0], 1);
    EXPECT_EQ(state.barDigits[1], 10);
    EXPECT_EQ(events.Count(Event::Block), 1);
}

// --- routing to the data-logger download ---

TEST_F(ReadingDecoderTest, DownloadChunksGoToTheRoute)
{
    CRecordingRoute route;
    decoder.SetDownloadRoute(&route);
    Feed({0xBB, 0x01, 0x2C}); // not in step yet: no one sees it
    EXPECT_TRUE(route.headerChunks.empty());
    Sync();

    Feed({0xBB});
    route.headerPending = true;
    Feed({0x01, 0x2C});
    route.headerPending = false;
    route.receiving = true;
    Feed({0xAA, 0x07, 0x03});
    ASSERT_EQ(route.headerChunks.size(), 2u);
    EXPECT_EQ(route.headerChunks[0], (std::vector<std::uint8_t>{0xBB}));
    EXPECT_EQ(route.headerChunks[1], (std::vector<std::uint8_t>{0x01, 0x2C}));
    ASSERT_EQ(route.dataChunks.size(), 1u);
    EXPECT_EQ(route.dataChunks[0], (std::vector<std::uint8_t>{0xAA, 0x07, 0x03}));
    EXPECT_TRUE(events.events.empty());

    // A reply chunk starting with 0xBB wins over a running data phase.
    Feed({0xBB, 0x00});
    EXPECT_EQ(route.headerChunks.size(), 3u);
    EXPECT_EQ(route.dataChunks.size(), 1u);

    // Back to real time: chunks are assembled into blocks again.
    route.receiving = false;
    CStreamEncoder enc;
    enc.Value(0x00, 0x00).Tag(0x0A).EndBlock();
    Feed(enc.bytes);
    EXPECT_TRUE(state.rec);
}

TEST_F(ReadingDecoderTest, RoutedChunkAfterASplitPairStartsWithThePair)
{
    CRecordingRoute route;
    route.receiving = true;
    decoder.SetDownloadRoute(&route);
    Feed({0x00, 0xA5});
    Feed({0x0D, 0x42, 0x43});
    ASSERT_EQ(route.dataChunks.size(), 1u);
    EXPECT_EQ(route.dataChunks[0], (std::vector<std::uint8_t>{0xA5, 0x0D, 0x42, 0x43}));

    decoder.ResetSync();
    EXPECT_FALSE(decoder.Synced());
    Feed({0x10, 0xA5, 0x0D, 0x44});
    ASSERT_EQ(route.dataChunks.size(), 2u);
    EXPECT_EQ(route.dataChunks[1], (std::vector<std::uint8_t>{0xA5, 0x0D, 0x44}));
}

TEST_F(ReadingDecoderTest, WithoutARouteAReplyChunkIsRealTimeData)
{
    Sync();
    CStreamEncoder enc;
    enc.Raw({0xBB, 0x00}).Tag(0x0A).EndBlock();
    Feed(enc.bytes);
    EXPECT_TRUE(state.rec);
    EXPECT_EQ(events.Count(Event::Block), 1);
}

} // namespace
