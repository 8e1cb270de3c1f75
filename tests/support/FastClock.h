#pragma once

#include "common/Clock.h"

#include <chrono>

// Calendar time running four times as fast as the real one, so two seconds of
// silence take half a real second while the meter still sends ten blocks a
// second.
class CFastClock final : public IClock {
public:
    static constexpr int kSpeed = 4;
    std::uint32_t TickCount() const override { return static_cast<std::uint32_t>(ElapsedMs() * kSpeed); }
    std::int64_t Now() const override { return 1'700'000'000 + ElapsedMs() * kSpeed / 1000; }

private:
    std::int64_t ElapsedMs() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - m_start)
            .count();
    }
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};
