#include "station/StationSampler.h"

#include "common/Clock.h"
#include "common/PackedBcd.h"
#include "meter/MeterState.h"

#include <algorithm>
#include <cmath>

CStationSampler::CStationSampler(const MeterState& state, const IClock& clock, UtcClock utcNow, double period,
                                 ReadingSink sink)
    : m_state(state), m_clock(clock), m_utcNow(std::move(utcNow)),
      m_periodMs(static_cast<std::uint32_t>(std::max(1.0, std::round(period * 1000.0)))), m_sink(std::move(sink))
{
}

void CStationSampler::CurrentValueDecoded()
{
    if (!m_state.clockValid || !(m_state.dBA || m_state.dBC))
        return;
    const BcdDigits digits = UnpackBcd(m_state.valueBytes[0], m_state.valueBytes[1]);
    if (!AllDecimal(digits))
        return;
    const std::uint32_t tick = m_clock.TickCount();
    if (m_started && static_cast<std::int32_t>(tick - m_due) < 0)
        return;
    // The next reading is due one period after this one was due; after a
    // stall the beat starts again from now rather than catching up in a burst.
    m_due = m_started && static_cast<std::int32_t>(tick - m_due) < static_cast<std::int32_t>(m_periodMs)
                ? m_due + m_periodMs
                : tick + m_periodMs;
    m_started = true;

    StationReading reading;
    reading.tUtc = m_utcNow();
    reading.meterTime = m_state.clockText24;
    reading.level = (m_state.max || m_state.min) ? m_state.DisplayValue() : LevelOfDigits(digits);
    reading.unit = m_state.dBC ? "dBC" : "dBA";
    reading.response = m_state.slow ? "SLOW" : "FAST";
    for (const auto& [on, name] : {std::pair{m_state.over, "OVER"}, std::pair{m_state.under, "UNDER"},
                                   std::pair{m_state.max, "MAX"}, std::pair{m_state.min, "MIN"}}) {
        if (!on)
            continue;
        if (!reading.flags.empty())
            reading.flags += ' ';
        reading.flags += name;
    }
    m_sink(reading);
}
