#pragma once

#include "common/DataSample.h"

#include "acoustics/Indicators.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// What a measurement report says, as texts and numbers, before it is laid
// out on pages: what the user asked for, the meter's settings as the data
// recorded them, the indicators and the footer that ties the report to its
// data file.

inline constexpr const char* kReportDefaultTitle = "Measurement report";
inline constexpr const char* kNotRecordedText = "not recorded";

struct ReportRequest {
    std::string title = kReportDefaultTitle;
    std::string location;  // empty: not given
    std::string dataPath;  // the data file the set comes from; empty for a set not saved to a file
    int setNumber = 1;     // 1-based, as the set list numbers them
};

struct ReportContent {
    std::string title;
    std::string location;
    std::vector<std::pair<std::string, std::string>> settings; // (name, value) lines
    std::string period;    // "2024-03-07 11:05:00 to 2024-03-07 11:08:05" or "not enough data"
    NoiseIndicators indicators;
    std::vector<std::pair<std::string, std::string>> table; // the indicator table
    std::string footer;    // "Vexalog 1.0 - street.txt - SHA-256 9f86…"
};

// The report of a set's samples. rate is the sampling interval the file or
// the set gives (0 when it gives none); sha256 the data file's digest, empty
// when there is no file.
ReportContent MakeReportContent(const ReportRequest& request, const std::vector<DataSample>& samples,
                                const std::string& unit, double rate, const std::string& sha256);

// The indicator table's rows; "not enough data" in place of the numbers
// when the set does not measure any time.
std::vector<std::pair<std::string, std::string>> IndicatorTableRows(const NoiseIndicators& indicators);

// The SHA-256 of a file's bytes in lower-case hex, or nothing when the file
// cannot be read.
std::optional<std::string> FileSha256(const std::string& path);

// "Page 2 of 3".
std::string PageNumberText(int page, int pages);
