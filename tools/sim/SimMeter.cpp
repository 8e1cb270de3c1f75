#include "tools/sim/SimMeter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kStatusRepeat = 3.0; // a program that connects late learns the state within this

struct RangeBounds {
    double low;
    double high;
};

RangeBounds BoundsOf(int range)
{
    switch (range) {
    case 1: return {30.0, 80.0};
    case 2: return {50.0, 100.0};
    case 3: return {80.0, 130.0};
    default: return {30.0, 130.0};
    }
}

double Tenths(double level)
{
    return std::round(std::clamp(level, kLowestLevel, kHighestLevel) * 10.0) / 10.0;
}

} // namespace

CSimMeter::CSimMeter(std::unique_ptr<ILevelModel> model, std::time_t clockStart)
    : m_model(std::move(model)), m_clockStart(clockStart)
{
    m_level = Tenths(m_model->LevelAt(0.0));
    m_extreme = m_level;
    m_heldDisplay = m_level;
}

void CSimMeter::SetLevelModel(std::unique_ptr<ILevelModel> model, double now)
{
    m_model = std::move(model);
    m_modelStart = now;
}

std::tm CSimMeter::ClockAt(double now) const
{
    const std::time_t at = m_clockStart + static_cast<std::time_t>(std::floor(now));
    std::tm t{};
    gmtime_r(&at, &t);
    return t;
}

double CSimMeter::DisplayLevel() const
{
    if (m_hold)
        return m_heldDisplay;
    return m_maxMin != 0 ? m_extreme : m_level;
}

void CSimMeter::Advance(double now)
{
    m_level = Tenths(m_model->LevelAt(now - m_modelStart));
    if (m_maxMin == 1)
        m_extreme = std::max(m_extreme, m_level);
    else if (m_maxMin == 2)
        m_extreme = std::min(m_extreme, m_level);

    const RangeBounds bounds = BoundsOf(m_range);
    const bool over = m_level > bounds.high;
    const bool under = m_level < bounds.low;
    if (over != m_over || under != m_under) {
        m_over = over;
        m_under = under;
        QueueOverUnder();
    }

    while (m_recording && now >= m_nextReading) {
        StoreReading();
        m_nextReading += 1.0;
    }

    if (now >= m_nextStatusRepeat) {
        QueueFullStatus();
        m_nextStatusRepeat = now + kStatusRepeat;
    }
}

std::array<std::uint8_t, SimWire::kBlockSize> CSimMeter::NextBlock(double now)
{
    namespace Tag = SimWire::Tag;
    SimWire::CBlockBuilder block;
    const auto current = SimWire::LevelBytes(m_level);
    block.AddTag(Tag::Value, {current[0], current[1]});

    const long second = static_cast<long>(std::floor(now));
    if (second != m_lastClockSecond) {
        const std::tm t = ClockAt(now);
        const auto clock = SimWire::ClockBytes(t.tm_hour, t.tm_min, t.tm_sec);
        if (block.AddTag(Tag::Clock, {clock[0], clock[1], clock[2]}))
            m_lastClockSecond = second;
    }

    const long half = static_cast<long>(std::floor(now * 2.0));
    if (half != m_lastDisplayHalf && block.Room() >= 10) {
        m_lastDisplayHalf = half;
        // The bar follows the sound; the display may show a held value, so it gets its own value field.
        block.AddTag(Tag::Bar);
        if (!m_hold)
            m_heldDisplay = DisplayLevel();
        const auto shown = SimWire::LevelBytes(DisplayLevel());
        if (shown != current)
            block.AddTag(Tag::Value, {shown[0], shown[1]});
        block.AddTag(Tag::Display);
    }

    while (!m_pendingTags.empty() && block.AddTag(m_pendingTags.front()))
        m_pendingTags.pop_front();
    return block.Finish();
}

bool CSimMeter::PressKey(std::uint8_t key, double now)
{
    namespace Tag = SimWire::Tag;
    switch (key) {
    case 0x55:
        if (!m_recording)
            StartRecording(now);
        return true;
    case 0x33:
        if (m_recording)
            StopRecording();
        return true;
    case 0x77:
        m_fast = !m_fast;
        m_pendingTags.push_back(m_fast ? Tag::Fast : Tag::Slow);
        return true;
    case 0x99:
        m_cWeighted = !m_cWeighted;
        m_pendingTags.push_back(m_cWeighted ? Tag::WeightC : Tag::WeightA);
        return true;
    case 0x11:
        m_maxMin = (m_maxMin + 1) % 3;
        m_extreme = m_level;
        m_pendingTags.push_back(m_maxMin == 1 ? Tag::Max : m_maxMin == 2 ? Tag::Min : Tag::MaxMinOff);
        return true;
    case 0x88:
        m_range = m_range % 4 + 1;
        // A new range ends MAX/MIN on the meter (and in the program's decoder);
        // the automatic range also ends HOLD.
        m_maxMin = 0;
        if (m_range == 4)
            m_hold = false;
        QueueRangeTag();
        return true;
    default:
        return false;
    }
}

void CSimMeter::ToggleHold()
{
    m_hold = !m_hold;
    m_heldDisplay = m_maxMin != 0 ? m_extreme : m_level;
    m_pendingTags.push_back(m_hold ? SimWire::Tag::HoldOn : SimWire::Tag::HoldOff);
}

void CSimMeter::SetLogger(std::vector<SimWire::LoggerSet> sets, double now)
{
    m_sets = std::move(sets);
    m_dataBytes = SimWire::DumpData(m_sets).size();
    if (m_recording) {
        m_recording = false;
        StartRecording(now);
    }
}

std::vector<std::string> CSimMeter::TakeMessages()
{
    std::vector<std::string> messages;
    messages.swap(m_messages);
    return messages;
}

void CSimMeter::QueueRangeTag()
{
    namespace Tag = SimWire::Tag;
    static constexpr std::uint8_t kRangeTags[] = {Tag::Range1, Tag::Range2, Tag::Range3, Tag::RangeAuto};
    m_pendingTags.push_back(kRangeTags[std::clamp(m_range, 1, 4) - 1]);
}

void CSimMeter::QueueOverUnder()
{
    namespace Tag = SimWire::Tag;
    // The program's decoder clears OVER and UNDER only together.
    m_pendingTags.push_back(Tag::InRange);
    if (m_over)
        m_pendingTags.push_back(Tag::Over);
    if (m_under)
        m_pendingTags.push_back(Tag::Under);
}

void CSimMeter::QueueFullStatus()
{
    namespace Tag = SimWire::Tag;
    // The full set supersedes whatever is still waiting. The range comes
    // first because a range tag clears MAX/MIN (and the automatic one HOLD).
    m_pendingTags.clear();
    QueueRangeTag();
    m_pendingTags.push_back(m_maxMin == 1 ? Tag::Max : m_maxMin == 2 ? Tag::Min : Tag::MaxMinOff);
    m_pendingTags.push_back(m_hold ? Tag::HoldOn : Tag::HoldOff);
    m_pendingTags.push_back(m_fast ? Tag::Fast : Tag::Slow);
    m_pendingTags.push_back(m_cWeighted ? Tag::WeightC : Tag::WeightA);
    m_pendingTags.push_back(m_recording ? Tag::RecOn : Tag::RecOff);
    QueueOverUnder();
}

void CSimMeter::StartRecording(double now)
{
    SimWire::LoggerSet set;
    const std::tm t = ClockAt(now);
    set.cWeighted = m_cWeighted;
    set.year = t.tm_year + 1900;
    set.month = t.tm_mon + 1;
    set.day = t.tm_mday;
    set.hour = t.tm_hour;
    set.minute = t.tm_min;
    set.second = t.tm_sec;
    set.rate = 1;
    if (m_dataBytes + SimWire::EncodedSize(set) + 2 > SimWire::kMaxDumpData) {
        m_messages.push_back("LOGGER FULL");
        return;
    }
    m_sets.push_back(set);
    m_dataBytes += SimWire::EncodedSize(set);
    m_recordSet = m_sets.size() - 1;
    m_recording = true;
    m_nextReading = now; // the first reading at once, so no set is empty
    m_pendingTags.push_back(SimWire::Tag::RecOn);
    m_messages.push_back("REC ON set " + std::to_string(m_sets.size()) + (m_cWeighted ? " dBC" : " dBA"));
}

void CSimMeter::StopRecording()
{
    m_recording = false;
    m_pendingTags.push_back(SimWire::Tag::RecOff);
    m_messages.push_back("REC OFF set " + std::to_string(m_recordSet + 1) + " readings "
                         + std::to_string(m_sets[m_recordSet].readings.size()));
}

void CSimMeter::StoreReading()
{
    // The dump's 16-bit length field bounds the logger; a full logger ends the recording.
    if (m_dataBytes + 2 > SimWire::kMaxDumpData) {
        m_messages.push_back("LOGGER FULL");
        StopRecording();
        return;
    }
    m_sets[m_recordSet].readings.push_back(m_level);
    m_dataBytes += 2;
}
