// The simulated meter's wire encoding: what the program's decoder must read back.
#include "tools/sim/SimWire.h"

#include <gtest/gtest.h>

using namespace SimWire;

TEST(SimWireBcd, PacksAndUnpacksTwoDigits)
{
    EXPECT_EQ(ToBcd(0), 0x00);
    EXPECT_EQ(ToBcd(7), 0x07);
    EXPECT_EQ(ToBcd(10), 0x10);
    EXPECT_EQ(ToBcd(59), 0x59);
    EXPECT_EQ(ToBcd(99), 0x99);
    EXPECT_EQ(ToBcd(120), 0x99); // clamped, never a nibble above 9
    EXPECT_EQ(ToBcd(-3), 0x00);
    for (int v = 0; v <= 99; ++v)
        EXPECT_EQ(FromBcd(ToBcd(v)), v);
}

TEST(SimWireLevel, HundredsTensUnitsTenths)
{
    EXPECT_EQ(LevelBytes(85.3), (std::array<std::uint8_t, 2>{0x08, 0x53}));
    EXPECT_EQ(LevelBytes(30.0), (std::array<std::uint8_t, 2>{0x03, 0x00}));
    EXPECT_EQ(LevelBytes(130.0), (std::array<std::uint8_t, 2>{0x13, 0x00}));
    EXPECT_EQ(LevelBytes(99.96), (std::array<std::uint8_t, 2>{0x10, 0x00})); // rounds to 100.0
    EXPECT_EQ(LevelBytes(1500.0), (std::array<std::uint8_t, 2>{0x99, 0x99}));
    EXPECT_EQ(LevelBytes(-4.0), (std::array<std::uint8_t, 2>{0x00, 0x00}));
}

TEST(SimWireLevel, EveryTenthFrom30To130RoundTrips)
{
    for (int tenths = 300; tenths <= 1300; ++tenths) {
        const auto bytes = LevelBytes(tenths / 10.0);
        EXPECT_NEAR(LevelFromBytes(bytes[0], bytes[1]), tenths / 10.0, 1e-9) << tenths;
        // No value byte may look like a tag start or a bad-block byte.
        EXPECT_NE(bytes[0], kTagStart);
        EXPECT_NE(bytes[1], 0xFF);
    }
}

TEST(SimWireLevel, NibbleAboveNineIsNoValue)
{
    EXPECT_LT(LevelFromBytes(0x1A, 0x00), 0.0);
    EXPECT_LT(LevelFromBytes(0x08, 0x5F), 0.0);
    EXPECT_LT(LevelFromBytes(0xA0, 0x00), 0.0);
}

TEST(SimWireClock, TwelveHourCoding)
{
    EXPECT_EQ(HourByte(0), 0x12);  // 12 AM
    EXPECT_EQ(HourByte(1), 0x01);
    EXPECT_EQ(HourByte(9), 0x09);
    EXPECT_EQ(HourByte(10), 0x10);
    EXPECT_EQ(HourByte(11), 0x11);
    EXPECT_EQ(HourByte(12), 0x32); // 12 PM
    EXPECT_EQ(HourByte(13), 0x21);
    EXPECT_EQ(HourByte(21), 0x29);
    EXPECT_EQ(HourByte(22), 0x30);
    EXPECT_EQ(HourByte(23), 0x31);
}

TEST(SimWireClock, EveryHourReadsBackAsTheProgramDecodesIt)
{
    for (int hour = 0; hour < 24; ++hour)
        EXPECT_EQ(HourFromByte(HourByte(hour)), hour) << hour;
    EXPECT_EQ(HourFromByte(0x12), 0);
    EXPECT_EQ(HourFromByte(0x32), 12);
    EXPECT_EQ(HourFromByte(0x3F), -1); // 15 + 10 + 12 is above 24
}

TEST(SimWireClock, ClockTagBytes)
{
    EXPECT_EQ(ClockBytes(12, 30, 15), (std::array<std::uint8_t, 3>{0x32, 0x30, 0x15}));
    EXPECT_EQ(ClockBytes(23, 59, 59), (std::array<std::uint8_t, 3>{0x31, 0x59, 0x59}));
    EXPECT_EQ(ClockBytes(0, 0, 0), (std::array<std::uint8_t, 3>{0x12, 0x00, 0x00}));
}

TEST(SimWireBlock, FieldsInOrderThenFiller)
{
    CBlockBuilder block;
    EXPECT_TRUE(block.AddTag(Tag::Value, {0x08, 0x53}));
    EXPECT_TRUE(block.AddTag(Tag::Display));
    EXPECT_EQ(block.Room(), 14u);
    const auto bytes = block.Finish();
    const std::array<std::uint8_t, 6> head{0xA5, 0x0D, 0x08, 0x53, 0xA5, 0x0B};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), bytes.begin()));
    for (std::size_t i = 6; i < kBlockSize; ++i)
        EXPECT_EQ(bytes[i], kFiller) << i;
    EXPECT_NE(kFiller, 0xA5);
    EXPECT_NE(kFiller, 0xFF);
}

TEST(SimWireBlock, AFieldThatDoesNotFitIsLeftOutWhole)
{
    CBlockBuilder block;
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(block.AddTag(Tag::Fast));
    ASSERT_EQ(block.Room(), 6u);
    EXPECT_TRUE(block.AddTag(Tag::Value, {0x01, 0x23}));
    EXPECT_FALSE(block.AddTag(Tag::Clock, {0x12, 0x00, 0x00})); // needs 5, 2 left
    EXPECT_TRUE(block.AddTag(Tag::Slow));
    EXPECT_FALSE(block.AddTag(Tag::Slow));
    const auto bytes = block.Finish();
    EXPECT_EQ(bytes[18], 0xA5);
    EXPECT_EQ(bytes[19], Tag::Slow);
}

TEST(SimWireDump, SetLayout)
{
    LoggerSet set;
    set.cWeighted = true;
    set.year = 2007;
    set.month = 3;
    set.day = 7;
    set.hour = 21;
    set.minute = 5;
    set.second = 59;
    set.rate = 10;
    set.readings = {85.3, 30.0, 130.0};
    const std::vector<std::uint8_t> expected{0xCC, 0x07, 0x03, 0x07, 0x29, 0x05, 0x59, 0x10, 0x00,
                                             0x08, 0x53, 0x03, 0x00, 0x13, 0x00};
    EXPECT_EQ(EncodeSet(set), expected);
    EXPECT_EQ(EncodedSize(set), 9u + 2u * 3u);
    set.cWeighted = false;
    set.readings.clear();
    EXPECT_EQ(EncodeSet(set).front(), kMarkerA);
    EXPECT_EQ(EncodeSet(set).size(), 9u);
}

TEST(SimWireDump, HeaderCarriesDataLengthPlusHundred)
{
    EXPECT_EQ(DumpHeader(0), (std::array<std::uint8_t, 3>{0xBB, 0x00, 0x64}));
    EXPECT_EQ(DumpHeader(100), (std::array<std::uint8_t, 3>{0xBB, 0x00, 0xC8}));
    EXPECT_EQ(DumpHeader(156), (std::array<std::uint8_t, 3>{0xBB, 0x01, 0x00})); // carries into the high byte
    EXPECT_EQ(DumpHeader(kMaxDumpData), (std::array<std::uint8_t, 3>{0xBB, 0xFF, 0xFF}));
}

TEST(SimWireDump, PreloadedSetsAreWhatTheHeaderSays)
{
    std::vector<LoggerSet> sets;
    std::string error;
    ASSERT_TRUE(ParseLoggerSpec("2x10", sets, error)) << error;
    ASSERT_EQ(sets.size(), 2u);
    const auto data = DumpData(sets);
    ASSERT_EQ(data.size(), 2u * 29u);
    EXPECT_EQ(data[0], kMarkerA);
    EXPECT_EQ(data[29], kMarkerC);
    // 2024-03-07 09:05:00, then an hour later; rate 1.
    const std::vector<std::uint8_t> firstHeader{0x24, 0x03, 0x07, 0x09, 0x05, 0x00, 0x01};
    EXPECT_TRUE(std::equal(firstHeader.begin(), firstHeader.end(), data.begin() + 1));
    EXPECT_EQ(data[29 + 4], 0x10);
    // Reading j of set i is 50 + 5 i + 0.5 (j mod 20).
    EXPECT_NEAR(LevelFromBytes(data[9], data[10]), 50.0, 1e-9);
    EXPECT_NEAR(LevelFromBytes(data[9 + 2 * 9], data[10 + 2 * 9]), 54.5, 1e-9);
    EXPECT_NEAR(LevelFromBytes(data[29 + 9], data[29 + 10]), 55.0, 1e-9);
    // Markers and the end byte never appear inside a set.
    for (std::size_t k = 0; k < data.size(); ++k) {
        if (k == 0 || k == 29)
            continue;
        EXPECT_NE(data[k], kMarkerA) << k;
        EXPECT_NE(data[k], kMarkerC) << k;
        EXPECT_NE(data[k], kDumpEnd) << k;
    }
}

TEST(SimWireDump, PreloadedTimesCarryIntoTheNextDay)
{
    std::vector<LoggerSet> sets;
    std::string error;
    ASSERT_TRUE(ParseLoggerSpec("16x1@5", sets, error)) << error;
    const LoggerSet& last = sets.back(); // 09:05 + 15 h
    EXPECT_EQ(last.day, 8);
    EXPECT_EQ(last.hour, 0);
    EXPECT_EQ(last.minute, 5);
    EXPECT_EQ(last.rate, 5);
    EXPECT_EQ(EncodeSet(last)[4], 0x12); // 12 AM
    EXPECT_EQ(EncodeSet(last)[7], 0x05);
}

TEST(SimWireDump, CaseSetsCarryTheBytesTheProgramMustRead)
{
    std::vector<LoggerSet> sets;
    std::string error;
    ASSERT_TRUE(ParseLoggerSpec("cases,120x2", sets, error)) << error;
    ASSERT_EQ(sets.size(), CaseSets().size() + 120);
    const auto data = DumpData(CaseSets());
    std::vector<std::size_t> begins;
    for (std::size_t k = 0; k < data.size(); ++k)
        if (data[k] == kMarkerA || data[k] == kMarkerC)
            begins.push_back(k);
    ASSERT_EQ(begins.size(), CaseSets().size()) << "markers only where sets begin";
    const auto header = [&](std::size_t set, std::size_t offset) { return data[begins[set] + offset]; };
    EXPECT_EQ(header(0, 0), kMarkerA);
    EXPECT_EQ(header(1, 0), kMarkerC);
    // 2007-12-31 23:59:50 every 5 s; 2008-02-28 with the rate byte 0x0F.
    EXPECT_EQ((std::vector<std::uint8_t>(data.begin() + 1, data.begin() + 8)),
              (std::vector<std::uint8_t>{0x07, 0x12, 0x31, 0x31, 0x59, 0x50, 0x05}));
    EXPECT_EQ(header(1, 2), 0x02);
    EXPECT_EQ(header(1, 7), 0x0F);
    EXPECT_EQ(header(2, 3), 0x29); // 29 February 2024
    EXPECT_EQ(header(3, 4), 0x12);
    EXPECT_EQ(header(4, 4), 0x32);
    EXPECT_EQ(header(5, 4), 0x21);
    EXPECT_EQ(begins.back() + 9, data.size()) << "the last set holds no reading";
}

TEST(SimWireDump, LoggerSpecs)
{
    std::vector<LoggerSet> sets;
    std::string error;
    ASSERT_TRUE(ParseLoggerSpec("none", sets, error));
    EXPECT_TRUE(sets.empty());
    ASSERT_TRUE(ParseLoggerSpec("1x3,2x0", sets, error)) << error;
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_EQ(sets[0].readings.size(), 3u);
    EXPECT_TRUE(sets[2].readings.empty());
    EXPECT_FALSE(sets[2].cWeighted); // the weighting alternates over all sets

    sets.resize(1);
    for (const char* bad : {"", "x", "2x", "x5", "0x5", "2y3", "2x3@", "2x3@0", "-1x3", "2x3,", "2x3,,1x1"}) {
        error.clear();
        EXPECT_FALSE(ParseLoggerSpec(bad, sets, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
        EXPECT_EQ(sets.size(), 1u) << "a refused spec leaves the logger alone: " << bad;
    }
    // More than the 16-bit length field can announce is refused.
    EXPECT_FALSE(ParseLoggerSpec("1x40000", sets, error));
    EXPECT_TRUE(ParseLoggerSpec("1x32713", sets, error)) << error; // 9 + 65426 = 65435 bytes
}

TEST(SimWireHex, ParsesBytes)
{
    std::uint8_t byte = 0;
    EXPECT_TRUE(ParseHexByte("0x55", byte));
    EXPECT_EQ(byte, 0x55);
    EXPECT_TRUE(ParseHexByte("aC", byte));
    EXPECT_EQ(byte, 0xAC);
    EXPECT_TRUE(ParseHexByte("0XFF", byte));
    EXPECT_EQ(byte, 0xFF);
    for (const char* bad : {"", "0x", "0x123", "zz", "0xg1", "123"})
        EXPECT_FALSE(ParseHexByte(bad, byte)) << bad;
}
