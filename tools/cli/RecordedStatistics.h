#pragma once

#include <string>
#include <vector>

struct DataSample;

// The statistics of the readings a recording has taken, kept as the data
// file's reader keeps them (the first of equal maxima and of equal minima,
// levels with two decimals), so what record prints agrees with the file it
// writes and with info on that file. The main window's statistics follow the
// meter's display between readings as well; these follow the readings only.
class CRecordedStatistics {
public:
    // Takes in the readings from the last one seen up to count - 1; false when
    // there was none new.
    bool Update(const DataSample* samples, int count);

    // "reading 12  avg 65.31  max 88.10 @ 14:50:31  min 50.70 @ 14:50:20"
    std::string ProgressLine() const;

private:
    int m_count = 0;
    double m_sum = 0.0;
    // The meter's range bounds are the starting points, as in the reader.
    double m_maximum = 30.0;
    std::string m_maximumTime;
    double m_minimum = 130.0;
    std::string m_minimumTime;
};

// The file's Average, Maximum and Minimum lines as info prints them, read
// back from the data file just written; none, and a message on standard
// error, when the file cannot be read.
std::vector<std::string> SavedStatisticsLines(const std::string& path);
