#pragma once

// The sound the simulated meter hears: level models chosen by --level.

#include <memory>
#include <random>
#include <string>

inline constexpr double kLowestLevel = 30.0;
inline constexpr double kHighestLevel = 130.0;

class ILevelModel {
public:
    virtual ~ILevelModel() = default;
    // The level in dB at `seconds` since the model started; asked at
    // non-decreasing times. The meter clamps and rounds it.
    virtual double LevelAt(double seconds) = 0;
};

// "const:85.3"
class CConstLevel : public ILevelModel {
public:
    explicit CConstLevel(double level) : m_level(level) {}
    double LevelAt(double) override { return m_level; }

private:
    double m_level;
};

// "ramp:LOW:HIGH:PERIOD": rises linearly from LOW to HIGH over PERIOD seconds, then starts again.
class CRampLevel : public ILevelModel {
public:
    CRampLevel(double low, double high, double period) : m_low(low), m_high(high), m_period(period) {}
    double LevelAt(double seconds) override;

private:
    double m_low;
    double m_high;
    double m_period;
};

// "walk": a random walk from 60 dB, one step of up to 0.5 dB every 100 ms, kept inside 30..130.
class CWalkLevel : public ILevelModel {
public:
    explicit CWalkLevel(unsigned seed) : m_random(seed) {}
    double LevelAt(double seconds) override;

private:
    std::mt19937 m_random;
    double m_level = 60.0;
    long m_steps = 0;
};

// "street": a murmur around 55 dB with passing vehicles, each a peak of
// 68..90 dB some seconds wide, arriving every 8 s on average.
class CStreetLevel : public ILevelModel {
public:
    explicit CStreetLevel(unsigned seed);
    double LevelAt(double seconds) override;

private:
    struct Vehicle {
        double peakTime;
        double peakLevel;
        double halfWidth;
    };
    void AddVehiclesUntil(double seconds);

    std::mt19937 m_random;
    std::vector<Vehicle> m_vehicles;
    double m_nextArrival = 0.0;
    double m_murmur = 55.0;
    long m_steps = 0;
};

// Builds a model from its text; nullptr and a message when the text is not one.
std::unique_ptr<ILevelModel> MakeLevelModel(const std::string& spec, unsigned seed, std::string& error);
