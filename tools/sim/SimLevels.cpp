#include "tools/sim/SimLevels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

constexpr double kStep = 0.1; // the stateful models move in 100 ms steps

bool ParseNumber(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return end != nullptr && *end == '\0' && std::isfinite(value);
}

std::vector<std::string> SplitColons(const std::string& text)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, ':'))
        parts.push_back(part);
    return parts;
}

bool InLevelRange(double level)
{
    return level >= kLowestLevel && level <= kHighestLevel;
}

} // namespace

double CRampLevel::LevelAt(double seconds)
{
    const double phase = std::fmod(seconds, m_period) / m_period;
    return m_low + (m_high - m_low) * phase;
}

double CWalkLevel::LevelAt(double seconds)
{
    std::uniform_real_distribution<double> step(-0.5, 0.5);
    const long due = static_cast<long>(seconds / kStep);
    for (; m_steps < due; ++m_steps) {
        m_level += step(m_random);
        // Reflect at the edges so the walk never sticks to them.
        if (m_level < kLowestLevel)
            m_level = 2 * kLowestLevel - m_level;
        if (m_level > kHighestLevel)
            m_level = 2 * kHighestLevel - m_level;
    }
    return m_level;
}

CStreetLevel::CStreetLevel(unsigned seed) : m_random(seed)
{
    std::exponential_distribution<double> gap(1.0 / 8.0);
    m_nextArrival = gap(m_random);
}

void CStreetLevel::AddVehiclesUntil(double seconds)
{
    std::exponential_distribution<double> gap(1.0 / 8.0);
    std::uniform_real_distribution<double> peak(68.0, 90.0);
    std::uniform_real_distribution<double> width(1.0, 3.0);
    // A vehicle is heard some seconds before its peak, so look ahead.
    while (m_nextArrival < seconds + 10.0) {
        m_vehicles.push_back({m_nextArrival, peak(m_random), width(m_random)});
        m_nextArrival += gap(m_random);
    }
    std::erase_if(m_vehicles, [seconds](const Vehicle& v) { return v.peakTime < seconds - 15.0; });
}

double CStreetLevel::LevelAt(double seconds)
{
    std::normal_distribution<double> drift(0.0, 0.3);
    const long due = static_cast<long>(seconds / kStep);
    for (; m_steps < due; ++m_steps)
        m_murmur = std::clamp(m_murmur + drift(m_random) + (55.0 - m_murmur) * 0.02, 45.0, 65.0);
    AddVehiclesUntil(seconds);
    // Sound powers add: sum 10^(L/10) of the murmur and of each vehicle's bell curve.
    double power = std::pow(10.0, m_murmur / 10.0);
    for (const auto& v : m_vehicles) {
        const double x = (seconds - v.peakTime) / v.halfWidth;
        power += std::pow(10.0, (v.peakLevel - 6.0 * x * x) / 10.0);
    }
    return 10.0 * std::log10(power);
}

std::unique_ptr<ILevelModel> MakeLevelModel(const std::string& spec, unsigned seed, std::string& error)
{
    const auto parts = SplitColons(spec);
    const std::string name = parts.empty() ? std::string() : parts[0];
    if (name == "const" && parts.size() == 2) {
        double level = 0;
        if (ParseNumber(parts[1], level) && InLevelRange(level))
            return std::make_unique<CConstLevel>(level);
        error = "const wants a level within 30.0..130.0";
        return nullptr;
    }
    if (name == "ramp" && parts.size() == 4) {
        double low = 0;
        double high = 0;
        double period = 0;
        if (ParseNumber(parts[1], low) && ParseNumber(parts[2], high) && ParseNumber(parts[3], period)
            && InLevelRange(low) && InLevelRange(high) && period > 0)
            return std::make_unique<CRampLevel>(low, high, period);
        error = "ramp wants LOW:HIGH:PERIOD, levels within 30.0..130.0 and a period above 0";
        return nullptr;
    }
    if (spec == "walk")
        return std::make_unique<CWalkLevel>(seed);
    if (spec == "street")
        return std::make_unique<CStreetLevel>(seed);
    error = "unknown level model '" + spec + "' (const:L, ramp:LOW:HIGH:PERIOD, walk, street)";
    return nullptr;
}
