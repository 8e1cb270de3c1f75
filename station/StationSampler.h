#pragma once

#include "station/StationRecords.h"

#include "meter/MeterLinkListener.h"

#include <cstdint>
#include <functional>

class IClock;
struct MeterState;

// Takes a reading of the meter every sampling period, as the recorder does
// by the PC's tick count: the level of each value tag once the meter's clock
// and its weighting are known, the held display while MAX or MIN hold is on.
// Readings are due on a fixed beat (start, start + period, ...), so a meter
// that sends twice a second still gives one reading a second on average.
class CStationSampler final : public IMeterLinkListener {
public:
    using ReadingSink = std::function<void(const StationReading&)>;
    using UtcClock = std::function<std::int64_t()>;

    CStationSampler(const MeterState& state, const IClock& clock, UtcClock utcNow, double period, ReadingSink sink);

    void CurrentValueDecoded() override;
    void PortOpened() override { m_started = false; }
    void LinkLost() override { m_started = false; }

private:
    const MeterState& m_state;
    const IClock& m_clock;
    UtcClock m_utcNow;
    std::uint32_t m_periodMs;
    ReadingSink m_sink;
    bool m_started = false;
    std::uint32_t m_due = 0;
};
