#pragma once

#include <cstdint>

// The two clocks the program reads: the millisecond tick count (wraps at
// 2^32) and the calendar time in whole seconds. Injected everywhere so tests
// control pacing and dates.
class IClock {
public:
    virtual ~IClock() = default;
    virtual std::uint32_t TickCount() const = 0;
    virtual std::int64_t Now() const = 0;
};

class CSystemClock final : public IClock {
public:
    std::uint32_t TickCount() const override;
    std::int64_t Now() const override;
};

// A clock that only moves when told to.
class CManualClock final : public IClock {
public:
    explicit CManualClock(std::int64_t now = 0, std::uint32_t tick = 0) : m_now(now), m_tick(tick) {}
    std::uint32_t TickCount() const override { return m_tick; }
    std::int64_t Now() const override { return m_now; }
    void SetNow(std::int64_t now) { m_now = now; }
    void SetTick(std::uint32_t tick) { m_tick = tick; }
    void AdvanceMs(std::uint32_t ms) { m_tick += ms; }
    void AdvanceSeconds(std::int64_t s) { m_now += s; }

private:
    std::int64_t m_now;
    std::uint32_t m_tick;
};
