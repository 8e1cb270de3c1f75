#include "common/Clock.h"

#include <chrono>
#include <ctime>

std::uint32_t CSystemClock::TickCount() const
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(ms);
}

std::int64_t CSystemClock::Now() const
{
    return static_cast<std::int64_t>(std::time(nullptr));
}
