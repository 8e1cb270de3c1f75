#pragma once

#include <array>
#include <string>
#include <utility>

// The statistics shown above the real-time graph, as values (the cursor
// readouts below it are the graph owner's, GraphReadouts).
// Every time field holds a zero-filled HH:MM:SS text (or is empty).
struct RealTimeStatistics {
    std::string startTime;       // 1014
    int dataNo = 0;              // 1005
    double avg = 0.0;            // 1006
    double maximum = 30.0;       // 1007
    std::string maximumTime;     // 1008
    double minimum = 130.0;      // 1009
    std::string minimumTime;     // 1010
};

// The statistics fields, which the main form places in edits of its own.
enum class StatisticsField { StartTime, DataNo, Avg, Maximum, MaximumTime, Minimum, MinimumTime };

// The same fields as the texts their controls show: levels with one decimal,
// the average with two, DataNo. as "%d". The full values stay in
// RealTimeStatistics for the saved file and the export.
struct RealTimeStatisticsTexts {
    std::string startTime;       // 1014
    std::string dataNo;          // 1005
    std::string avg;             // 1006
    std::string maximum;         // 1007
    std::string maximumTime;     // 1008
    std::string minimum;         // 1009
    std::string minimumTime;     // 1010

    // (field, text) of every field, so a form can fill its edits in a loop.
    std::array<std::pair<StatisticsField, const std::string*>, 7> Fields() const;
};

RealTimeStatisticsTexts MakeStatisticsTexts(const RealTimeStatistics& statistics);

// Where the controller publishes the field texts on every refresh.
class IStatisticsView {
public:
    virtual ~IStatisticsView() = default;
    virtual void ShowStatistics(const RealTimeStatisticsTexts& texts) = 0;
};
