// The tagged fields of a 20-byte block: status flags, the meter clock, the
// display and bar digits and the value bytes.
#include "meter/ReadingDecoder.h"

#include "common/Clock.h"
#include "common/PackedBcd.h"
#include "common/TimeText.h"

namespace {
constexpr std::uint8_t kTagStart = 0xA5;

constexpr std::int64_t kSecondsPerDay = 86400;

// Short texts are built in place; they stay within a string's small buffer.
struct TextBuilder {
    char text[24];
    std::size_t length = 0;

    void Number(int value) // 0..99
    {
        if (value >= 10)
            text[length++] = static_cast<char>('0' + value / 10);
        text[length++] = static_cast<char>('0' + value % 10);
    }
    // ":%d%d" of the two nibbles; a nibble above 9 prints as two digits.
    void Nibbles(std::uint8_t b)
    {
        text[length++] = ':';
        Number(b >> 4);
        Number(b & 0x0F);
    }
    void CopyTo(std::string& out) const
    {
        // Built and moved in rather than assigned: GCC 12 warns wrongly on assign here.
        // Both stay in the string's small buffer.
        out = std::string(text, length);
    }
};
} // namespace

bool CReadingDecoder::ScanBlock()
{
    const std::uint8_t* block = m_block.data();
    std::size_t k = 0;
    while (k < kBlockSize) {
        if (block[k] != kTagStart) {
            ++k;
            continue;
        }
        if (k + 1 >= kBlockSize)
            break; // no code byte in this block
        const std::uint8_t code = block[k + 1];
        const std::uint8_t* data = block + k + 2;
        const std::size_t room = kBlockSize - (k + 2);
        switch (code) {
        case 0x06:
            if (room < 3)
                return true; // the clock bytes lie beyond the block
            ClockTag(data[0], data[1], data[2]);
            k += 5;
            break;
        case 0x0D:
            if (room < 2)
                return true;
            ValueTag(data[0], data[1]);
            k += 4;
            break;
        case 0x0B:
            if (!DisplayTag())
                return false;
            k += 2;
            break;
        case 0x0C:
            BarTag();
            k += 2;
            break;
        default:
            FlagTag(code);
            k += 2;
            break;
        }
    }
    return true;
}

void CReadingDecoder::FlagTag(std::uint8_t code)
{
    MeterState& s = m_state;
    const auto setRange = [&](int range) {
        if (s.range == range)
            return false;
        s.range = range;
        s.max = false;
        s.min = false;
        s.autoRange = false;
        return true;
    };

    switch (code) {
    case 0x02:
        s.fast = true;
        s.slow = false;
        m_events.InvalidatePanel(PanelArea::Mode);
        break;
    case 0x03:
        s.slow = true;
        s.fast = false;
        m_events.InvalidatePanel(PanelArea::Mode);
        break;
    case 0x04:
        if (!s.max) {
            s.max = true;
            s.min = false;
            m_events.InvalidatePanel(PanelArea::Mode);
        }
        break;
    case 0x05:
        if (!s.min) {
            s.min = true;
            s.max = false;
            m_events.InvalidatePanel(PanelArea::Mode);
        }
        break;
    case 0x0E:
        s.max = false;
        s.min = false;
        m_events.InvalidatePanel(PanelArea::Mode);
        break;
    case 0x07:
        s.over = true;
        m_events.InvalidatePanel(PanelArea::Limit);
        break;
    case 0x08:
        if (!s.under) {
            s.under = true;
            m_events.InvalidatePanel(PanelArea::Limit);
        }
        break;
    case 0x11:
        s.over = false;
        s.under = false;
        m_events.InvalidatePanel(PanelArea::Limit);
        break;
    case 0x0A:
        s.rec = true;
        m_events.InvalidatePanel(PanelArea::Status);
        break;
    case 0x1A:
        s.rec = false;
        m_events.InvalidatePanel(PanelArea::Status);
        break;
    case 0x1B:
        if (!s.dBA) {
            s.dBA = true;
            s.dBC = false;
            m_events.InvalidatePanel(PanelArea::Status);
        }
        break;
    case 0x1C:
        if (!s.dBC) {
            s.dBC = true;
            s.dBA = false;
            m_events.InvalidatePanel(PanelArea::Status);
        }
        break;
    case 0x16:
        s.hold = true;
        m_events.InvalidatePanel(PanelArea::Hold);
        break;
    case 0x17:
        s.hold = false;
        m_events.InvalidatePanel(PanelArea::Hold);
        break;
    case 0x30:
        if (setRange(1))
            m_events.InvalidatePanel(PanelArea::Range);
        break;
    case 0x4B:
        if (setRange(2))
            m_events.InvalidatePanel(PanelArea::Range);
        break;
    case 0x4C:
        if (setRange(3))
            m_events.InvalidatePanel(PanelArea::Range);
        break;
    case 0x40:
        if (setRange(4)) {
            s.autoRange = true;
            s.hold = false;
            m_events.InvalidatePanel(PanelArea::Range);
        }
        break;
    default:
        break; // codes the program does not know are ignored
    }
}

void CReadingDecoder::ClockTag(std::uint8_t h, std::uint8_t m, std::uint8_t s)
{
    // The meter sends a 12-hour clock: bit 5 marks PM, bit 4 is the tens digit.
    int hour = (h & 0x0F) + ((h & 0x10) ? 10 : 0) + ((h & 0x20) ? 12 : 0);
    if (hour > 24)
        return;
    if (hour == 12)
        hour = 24;
    else if (hour == 24)
        hour = 12;
    hour %= 24; // 12 AM is 0, 12 PM is 12

    TextBuilder text12;
    const int hour12 = hour % 12 == 0 ? 12 : hour % 12;
    text12.Number(hour12);
    m_state.hour = hour;
    TextBuilder text24;
    text24.Number(hour);

    // A bad minute or second ends the tag after what was already stored.
    const int minute = (m >> 4) * 10 + (m & 0x0F);
    text24.Nibbles(m);
    if (minute > 60) {
        text12.CopyTo(m_state.clockText12);
        return;
    }
    m_state.minute = minute;
    text12.Nibbles(m);

    const int second = (s >> 4) * 10 + (s & 0x0F);
    text24.Nibbles(s);
    if (second > 60) {
        text12.CopyTo(m_state.clockText12);
        return;
    }
    m_state.second = second;
    text24.CopyTo(m_state.clockText24);
    text12.Nibbles(s);
    text12.CopyTo(m_state.clockText12);
    m_state.clockValid = true;

    const bool wasLastSecond = m_state.previousHour == 23 && m_state.previousMinute == 59 && m_state.previousSecond == 59;
    const bool isLastSecond = hour == 23 && minute == 59 && second == 59;
    if (wasLastSecond && !isLastSecond)
        ++m_state.dayOffset;
    m_state.previousHour = hour;
    m_state.previousMinute = minute;
    m_state.previousSecond = second;

    m_state.clockTimestamp = ClockTimestamp(hour, minute, second);
    m_events.InvalidatePanel(PanelArea::Clock);
}

std::int64_t CReadingDecoder::ClockTimestamp(int hour, int minute, int second)
{
    const std::int64_t now = m_clock.Now();
    if (!m_dayKnown || now < m_dayStart || now >= m_nextDayStart)
        LearnDay(now);
    const int seconds = hour * 3600 + minute * 60 + second;
    if (m_dayKnown && m_dayUniform && seconds < kSecondsPerDay)
        return m_dayStart + seconds;
    return MakeLocalTime(m_dayYear, m_dayMonth, m_dayDay, hour, minute, second);
}

void CReadingDecoder::LearnDay(std::int64_t now)
{
    const LocalDate date = LocalDateOf(now);
    m_dayYear = date.year;
    m_dayMonth = date.month;
    m_dayDay = date.day;
    m_dayStart = MakeLocalTime(date.year, date.month, date.day, 0, 0, 0);
    m_nextDayStart = MakeLocalTime(date.year, date.month, date.day + 1, 0, 0, 0);

    // Keep the day only when both midnights exist exactly, so the range
    // check above names the right date; otherwise ask the calendar each time.
    const LocalDateTime start = BreakDownLocalTime(m_dayStart);
    const LocalDateTime next = BreakDownLocalTime(m_nextDayStart);
    m_dayKnown = start.day == date.day && start.hour == 0 && start.minute == 0 && start.second == 0 && next.hour == 0
        && next.minute == 0 && next.second == 0 && m_dayStart <= now && now < m_nextDayStart;
    // Without a daylight-saving change inside the day, a time of day is midnight plus its seconds.
    m_dayUniform = m_nextDayStart - m_dayStart == kSecondsPerDay
        && MakeLocalTime(date.year, date.month, date.day, 12, 0, 0) == m_dayStart + kSecondsPerDay / 2
        && MakeLocalTime(date.year, date.month, date.day, 23, 59, 59) == m_dayStart + kSecondsPerDay - 1;
}

bool CReadingDecoder::DisplayTag()
{
    const BcdDigits digits = UnpackBcd(m_state.valueBytes[0], m_state.valueBytes[1]);
    if (!AllDecimal(digits))
        return false; // no number on the display: the rest of the chunk is dropped
    for (int i = 0; i < 4; ++i)
        m_state.displayDigits[i] = digits[i];
    m_state.displayValid = true;
    m_events.DisplayValueDecoded(LevelOfDigits(digits));
    m_events.InvalidatePanel(PanelArea::Display);
    return true;
}

void CReadingDecoder::BarTag()
{
    const BcdDigits digits = UnpackBcd(m_state.valueBytes[0], m_state.valueBytes[1]);
    for (int i = 0; i < 4; ++i)
        m_state.barDigits[i] = digits[i];
    m_events.InvalidatePanel(PanelArea::Range);
}

void CReadingDecoder::ValueTag(std::uint8_t b1, std::uint8_t b2)
{
    m_state.valueBytes[0] = b1;
    m_state.valueBytes[1] = b2;
    m_events.CurrentValueDecoded();
}
