#pragma once

#include "station/StationRecords.h"

#include "common/DataSample.h"

#include <cstdint>
#include <string>
#include <vector>

// Readings out of the station database: CSV (RFC 4180: CR LF line ends,
// fields with a comma, quote or line end quoted), JSON lines, and the
// program's own data file's samples. Numbers keep their decimal point
// whatever the locale.
std::string CsvHeader();
std::string CsvLine(const std::string& station, const StationReading& reading);
std::string CsvField(const std::string& text);

// The sample of the data file: the local date and time of the reading.
DataSample DataSampleOf(const StationReading& reading);

// A stretch of readings taken while the meter stayed connected: no step
// between them longer than three sampling periods.
struct ReadingStretch {
    std::int64_t first = 0;
    std::int64_t last = 0;
    std::size_t count = 0;
};
class CStretches {
public:
    explicit CStretches(double samplingPeriod) : m_gapMs(static_cast<std::int64_t>(samplingPeriod * 3000.0)) {}
    void Add(std::int64_t tUtc);
    const std::vector<ReadingStretch>& All() const { return m_stretches; }

private:
    std::int64_t m_gapMs;
    std::vector<ReadingStretch> m_stretches;
};

// A file written whole or not at all: everything goes to a temporary file
// beside the target, which is flushed and renamed over it at Commit.
class CFileReplacement {
public:
    ~CFileReplacement();
    bool Open(const std::string& path, std::string* error);
    bool Write(const std::string& text, std::string* error);
    bool Commit(std::string* error);

private:
    bool Flush(std::string* error);
    std::string m_path;
    std::string m_temp;
    int m_fd = -1;
    std::string m_buffer;
};
