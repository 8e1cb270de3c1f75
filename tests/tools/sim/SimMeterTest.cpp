// The simulated meter's state machine, driven with made-up times: keys,
// status tags, clock and display pacing, over/under, and the data logger.
#include "tools/sim/SimMeter.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

namespace Tag = SimWire::Tag;

// A level that the test decides.
class CScriptedLevel : public ILevelModel {
public:
    explicit CScriptedLevel(std::function<double(double)> level) : m_level(std::move(level)) {}
    double LevelAt(double seconds) override { return m_level(seconds); }

private:
    std::function<double(double)> m_level;
};

std::unique_ptr<ILevelModel> Const(double level)
{
    return std::make_unique<CConstLevel>(level);
}

std::time_t ClockAt(int h, int m, int s)
{
    std::tm t{};
    t.tm_year = 2007 - 1900;
    t.tm_mon = 2;
    t.tm_mday = 7;
    t.tm_hour = h;
    t.tm_min = m;
    t.tm_sec = s;
    return timegm(&t);
}

struct Field {
    std::uint8_t code;
    std::vector<std::uint8_t> data;
};

// Reads a block the way the program's decoder scans it: 0xA5 then a code,
// with three data bytes after 0x06 and two after 0x0D.
std::vector<Field> Scan(const std::array<std::uint8_t, 20>& block)
{
    std::vector<Field> fields;
    for (std::size_t k = 0; k + 1 < block.size(); ++k) {
        if (block[k] != 0xA5)
            continue;
        Field field{block[k + 1], {}};
        const std::size_t extra = field.code == Tag::Clock ? 3 : field.code == Tag::Value ? 2 : 0;
        for (std::size_t d = 0; d < extra && k + 2 + d < block.size(); ++d)
            field.data.push_back(block[k + 2 + d]);
        k += 1 + extra;
        fields.push_back(field);
    }
    return fields;
}

// Runs the meter like the simulator's loop: Advance, then a block every 100 ms,
// from `from` up to (not including) `to`; returns the fields of all blocks.
std::vector<Field> RunBlocks(CSimMeter& meter, double from, double to)
{
    std::vector<Field> fields;
    for (double t = from; t < to - 1e-9; t += 0.1) {
        meter.Advance(t);
        const auto block = meter.NextBlock(t);
        EXPECT_EQ(block[0], 0xA5);
        EXPECT_EQ(block[1], 0x0D);
        EXPECT_GE(SimWire::LevelFromBytes(block[2], block[3]), 0.0);
        for (std::uint8_t byte : block)
            EXPECT_NE(byte, 0xFF);
        const auto scanned = Scan(block);
        fields.insert(fields.end(), scanned.begin(), scanned.end());
    }
    return fields;
}

int Count(const std::vector<Field>& fields, std::uint8_t code)
{
    int n = 0;
    for (const auto& f : fields)
        n += f.code == code ? 1 : 0;
    return n;
}

// The level a display tag would show: the value field before it.
std::vector<double> DisplayedLevels(const std::vector<Field>& fields)
{
    std::vector<double> shown;
    std::vector<std::uint8_t> value;
    for (const auto& f : fields) {
        if (f.code == Tag::Value)
            value = f.data;
        else if (f.code == Tag::Display && value.size() == 2)
            shown.push_back(SimWire::LevelFromBytes(value[0], value[1]));
    }
    return shown;
}

} // namespace

TEST(SimMeterStream, ClockOncePerSecondDisplayTwiceAndStatusRepeated)
{
    CSimMeter meter(Const(85.3), ClockAt(23, 59, 58));
    const auto fields = RunBlocks(meter, 0.0, 4.0);
    ASSERT_EQ(Count(fields, Tag::Clock), 4);
    std::vector<std::vector<std::uint8_t>> clocks;
    for (const auto& f : fields) {
        if (f.code == Tag::Clock)
            clocks.push_back(f.data);
    }
    EXPECT_EQ(clocks[0], (std::vector<std::uint8_t>{0x31, 0x59, 0x58}));
    EXPECT_EQ(clocks[1], (std::vector<std::uint8_t>{0x31, 0x59, 0x59}));
    EXPECT_EQ(clocks[2], (std::vector<std::uint8_t>{0x12, 0x00, 0x00})); // midnight is 12 AM
    EXPECT_EQ(Count(fields, Tag::Display), 8);
    EXPECT_EQ(Count(fields, Tag::Bar), 8);
    for (double shown : DisplayedLevels(fields))
        EXPECT_NEAR(shown, 85.3, 1e-9);
    // The whole state at start and again after three seconds.
    EXPECT_EQ(Count(fields, Tag::RangeAuto), 2);
    EXPECT_EQ(Count(fields, Tag::WeightA), 2);
    EXPECT_EQ(Count(fields, Tag::Fast), 2);
    EXPECT_EQ(Count(fields, Tag::RecOff), 2);
    EXPECT_EQ(Count(fields, Tag::HoldOff), 2);
    EXPECT_EQ(Count(fields, Tag::MaxMinOff), 2);
}

TEST(SimMeterKeys, ResponseWeightingAndUnknownBytes)
{
    CSimMeter meter(Const(60.0), ClockAt(10, 0, 0));
    RunBlocks(meter, 0.0, 1.0); // the start-up status is out
    EXPECT_TRUE(meter.PressKey(0x77, 1.0));
    EXPECT_TRUE(meter.PressKey(0x99, 1.0));
    auto fields = RunBlocks(meter, 1.0, 1.5);
    EXPECT_FALSE(meter.Fast());
    EXPECT_TRUE(meter.CWeighted());
    EXPECT_EQ(Count(fields, Tag::Slow), 1);
    EXPECT_EQ(Count(fields, Tag::WeightC), 1);
    EXPECT_TRUE(meter.PressKey(0x77, 1.5));
    fields = RunBlocks(meter, 1.5, 2.0);
    EXPECT_TRUE(meter.Fast());
    EXPECT_EQ(Count(fields, Tag::Fast), 1);
    EXPECT_FALSE(meter.PressKey(0x42, 2.0));
    EXPECT_FALSE(meter.PressKey(0xAC, 2.0));
}

TEST(SimMeterKeys, MaxMinCyclesAndHoldsTheExtreme)
{
    // Up to 70 dB in the first two seconds, then down again.
    CSimMeter meter(std::make_unique<CScriptedLevel>([](double t) { return t < 2.0 ? 50.0 + 10.0 * t : 90.0 - 10.0 * t; }),
                    ClockAt(10, 0, 0));
    RunBlocks(meter, 0.0, 1.0);
    ASSERT_TRUE(meter.PressKey(0x11, 1.0));
    EXPECT_EQ(meter.MaxMinMode(), 1);
    auto fields = RunBlocks(meter, 1.0, 4.0);
    EXPECT_GE(Count(fields, Tag::Max), 1);
    const auto shown = DisplayedLevels(fields);
    ASSERT_FALSE(shown.empty());
    EXPECT_NEAR(shown.back(), 70.0, 0.11); // the peak, while the sound is down at 51
    EXPECT_LT(meter.Level(), 52.0);

    meter.PressKey(0x11, 4.0);
    EXPECT_EQ(meter.MaxMinMode(), 2);
    fields = RunBlocks(meter, 4.0, 4.6);
    EXPECT_EQ(Count(fields, Tag::Min), 1);
    meter.PressKey(0x11, 4.6);
    EXPECT_EQ(meter.MaxMinMode(), 0);
    fields = RunBlocks(meter, 4.6, 5.2);
    EXPECT_EQ(Count(fields, Tag::MaxMinOff), 1);
}

TEST(SimMeterKeys, LevelKeyCyclesRangesAndEndsMaxMinAndHold)
{
    CSimMeter meter(Const(60.0), ClockAt(10, 0, 0));
    RunBlocks(meter, 0.0, 1.0);
    EXPECT_EQ(meter.Range(), 4);
    const std::uint8_t expected[] = {Tag::Range1, Tag::Range2, Tag::Range3, Tag::RangeAuto};
    for (int i = 0; i < 4; ++i) {
        meter.PressKey(0x11, 1.0 + i); // MAX on
        if (i == 2)
            meter.ToggleHold();
        meter.PressKey(0x88, 1.0 + i);
        EXPECT_EQ(meter.Range(), i + 1);
        EXPECT_EQ(meter.MaxMinMode(), 0) << "a new range ends MAX/MIN, as the program's decoder assumes";
        const auto fields = RunBlocks(meter, 1.0 + i, 1.5 + i);
        EXPECT_EQ(Count(fields, expected[i]), 1) << i;
    }
    EXPECT_FALSE(meter.Hold()) << "the automatic range ends HOLD";
}

TEST(SimMeterLevels, OverAndUnderFollowTheRange)
{
    CSimMeter meter(Const(90.0), ClockAt(10, 0, 0));
    RunBlocks(meter, 0.0, 1.0);
    meter.PressKey(0x88, 1.0); // range 1: 30-80 dB
    auto fields = RunBlocks(meter, 1.0, 1.5);
    EXPECT_EQ(Count(fields, Tag::Over), 1);
    EXPECT_EQ(Count(fields, Tag::Under), 0);

    meter.SetLevelModel(Const(40.0), 1.5);
    meter.PressKey(0x88, 1.5); // range 2: 50-100 dB, 40 is under
    fields = RunBlocks(meter, 1.5, 2.0);
    EXPECT_EQ(Count(fields, Tag::Under), 1);
    EXPECT_GE(Count(fields, Tag::InRange), 1) << "OVER is cleared before UNDER is set";

    meter.SetLevelModel(Const(60.0), 2.0);
    fields = RunBlocks(meter, 2.0, 2.5);
    EXPECT_EQ(Count(fields, Tag::InRange), 1);
    EXPECT_EQ(Count(fields, Tag::Over) + Count(fields, Tag::Under), 0);
}

TEST(SimMeterLevels, ValuesStayWithin30And130)
{
    CSimMeter meter(std::make_unique<CScriptedLevel>([](double t) { return t < 1.0 ? 10.0 : 200.0; }), ClockAt(10, 0, 0));
    meter.Advance(0.5);
    EXPECT_DOUBLE_EQ(meter.Level(), 30.0);
    meter.Advance(1.5);
    EXPECT_DOUBLE_EQ(meter.Level(), 130.0);

    std::string error;
    for (const char* model : {"walk", "street", "ramp:40:100:60"}) {
        auto levels = MakeLevelModel(model, 7, error);
        ASSERT_TRUE(levels) << model << error;
        CSimMeter walker(std::move(levels), ClockAt(10, 0, 0));
        for (double t = 0; t < 600; t += 0.1) {
            walker.Advance(t);
            ASSERT_GE(walker.Level(), 30.0) << model;
            ASSERT_LE(walker.Level(), 130.0) << model;
        }
    }
    EXPECT_FALSE(MakeLevelModel("const:20", 1, error));
    EXPECT_FALSE(MakeLevelModel("ramp:40:100:0", 1, error));
    EXPECT_FALSE(MakeLevelModel("const:85.3x", 1, error));
    EXPECT_FALSE(MakeLevelModel("noise", 1, error));
}

TEST(SimMeterLevels, SeededModelsRepeat)
{
    std::string error;
    auto a = MakeLevelModel("street", 42, error);
    auto b = MakeLevelModel("street", 42, error);
    auto c = MakeLevelModel("street", 43, error);
    bool differs = false;
    for (double t = 0; t < 60; t += 0.1) {
        const double la = a->LevelAt(t);
        EXPECT_DOUBLE_EQ(la, b->LevelAt(t));
        differs = differs || std::abs(la - c->LevelAt(t)) > 0.05;
    }
    EXPECT_TRUE(differs);
}

TEST(SimMeterLogger, RecStopStoresASetEverySecond)
{
    CSimMeter meter(Const(72.4), ClockAt(13, 4, 5));
    std::vector<SimWire::LoggerSet> preloaded;
    std::string error;
    ASSERT_TRUE(SimWire::ParseLoggerSpec("1x2", preloaded, error));
    meter.SetLogger(preloaded, 0.0);
    RunBlocks(meter, 0.0, 2.0);
    meter.PressKey(0x99, 2.0); // C weighting
    meter.PressKey(0x55, 2.0);
    EXPECT_TRUE(meter.Recording());
    auto fields = RunBlocks(meter, 2.0, 6.5);
    EXPECT_GE(Count(fields, Tag::RecOn), 1);
    meter.PressKey(0x55, 6.5); // REC again while recording changes nothing
    meter.PressKey(0x33, 6.5);
    EXPECT_FALSE(meter.Recording());
    fields = RunBlocks(meter, 6.5, 7.0);
    EXPECT_EQ(Count(fields, Tag::RecOff), 1);

    const auto& sets = meter.LoggerSets();
    ASSERT_EQ(sets.size(), 2u);
    const SimWire::LoggerSet& recorded = sets[1];
    EXPECT_TRUE(recorded.cWeighted);
    EXPECT_EQ(recorded.hour, 13);
    EXPECT_EQ(recorded.minute, 4);
    EXPECT_EQ(recorded.second, 7);
    EXPECT_EQ(recorded.rate, 1);
    EXPECT_EQ(recorded.readings.size(), 5u); // at 2, 3, 4, 5 and 6 s
    for (double r : recorded.readings)
        EXPECT_DOUBLE_EQ(r, 72.4);

    const auto data = meter.LoggerData();
    ASSERT_EQ(data.size(), (9u + 4u) + (9u + 10u));
    EXPECT_EQ(data[13], SimWire::kMarkerC);
    EXPECT_EQ(data[13 + 4], 0x21); // 1 PM

    meter.PressKey(0x33, 7.0); // STOP while stopped: nothing
    EXPECT_EQ(meter.LoggerSets().size(), 2u);
    const auto messages = meter.TakeMessages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1], "REC OFF set 2 readings 5");
}

TEST(SimMeterLogger, FullLoggerEndsTheRecordingWithinTheLengthField)
{
    CSimMeter meter(Const(60.0), ClockAt(10, 0, 0));
    std::vector<SimWire::LoggerSet> sets;
    std::string error;
    ASSERT_TRUE(SimWire::ParseLoggerSpec("1x32700", sets, error)) << error; // 65409 bytes
    meter.SetLogger(sets, 0.0);
    meter.PressKey(0x55, 0.0);
    ASSERT_TRUE(meter.Recording());
    for (double t = 0; t < 20.0; t += 0.5)
        meter.Advance(t);
    EXPECT_FALSE(meter.Recording());
    EXPECT_EQ(meter.LoggerData().size(), SimWire::kMaxDumpData - 1); // 65409 + 9 + 8 readings
    bool full = false;
    for (const auto& m : meter.TakeMessages())
        full = full || m == "LOGGER FULL";
    EXPECT_TRUE(full);

    meter.PressKey(0x55, 21.0); // no room for another set header
    EXPECT_FALSE(meter.Recording());
}
