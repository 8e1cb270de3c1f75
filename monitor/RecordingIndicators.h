#pragma once

#include "common/DataSample.h"
#include "monitor/ReadingStore.h"

#include "acoustics/Indicators.h"

#include <vector>

// The noise indicators of the run being recorded, kept up to date reading by
// reading: each reading the store gains is added once to live indicators,
// so asking for them costs the same after ten readings as after forty
// thousand. A store emptied (Clean Data, a new run), holding another run's
// readings (a recovered journal) or recorded at another sampling interval
// starts them anew.
class CRecordingIndicators {
public:
    CRecordingIndicators();

    // Adds the readings the store holds beyond those added so far. True when
    // the indicators changed.
    bool Follow(const ReadingStore& store, double period);

    // One result per weighting of the run, in the order of each one's first
    // reading; empty before the first reading.
    std::vector<NoiseIndicators> Results() const;
    // Readings added since the run began.
    int Count() const { return m_count; }

private:
    void Restart(double period);

    CLiveIndicators m_live;
    int m_count = 0;
    double m_period = 0.0;
    // The run's first reading, by which another run is told.
    DataSample m_first;
};
