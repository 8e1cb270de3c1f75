#pragma once

#include <array>
#include <string>
#include <utility>

// The statistics shown above and below the real-time graph, as values.
// Every time field holds a zero-filled HH:MM:SS text (or is empty).
struct RealTimeStatistics {
    std::string startTime;       // 1014
    int dataNo = 0;              // 1005
    double avg = 0.0;            // 1006
    double maximum = 30.0;       // 1007
    std::string maximumTime;     // 1008
    double minimum = 130.0;      // 1009
    std::string minimumTime;     // 1010
    double cursorA = 0.0;        // 1013
    std::string cursorATime;     // 1015
    double cursorB = 0.0;        // 1016
    std::string cursorBTime;     // 1017
    double maxBetween = 0.0;     // 1018
    std::string maxBetweenTime;  // 1022
    double minBetween = 0.0;     // 1019
    std::string minBetweenTime;  // 1020
    double avgBetween = 0.0;     // 1021
};

// The same fields as the texts their controls show: numbers in general
// notation (up to 15 significant digits), DataNo. as "%d".
struct RealTimeStatisticsTexts {
    std::string startTime;       // 1014
    std::string dataNo;          // 1005
    std::string avg;             // 1006
    std::string maximum;         // 1007
    std::string maximumTime;     // 1008
    std::string minimum;         // 1009
    std::string minimumTime;     // 1010
    std::string cursorA;         // 1013
    std::string cursorATime;     // 1015
    std::string cursorB;         // 1016
    std::string cursorBTime;     // 1017
    std::string maxBetween;      // 1018
    std::string maxBetweenTime;  // 1022
    std::string minBetween;      // 1019
    std::string minBetweenTime;  // 1020
    std::string avgBetween;      // 1021

    // (control id, text) of every field, so a form can fill its edits in a loop.
    std::array<std::pair<int, const std::string*>, 16> ByControlId() const;
};

RealTimeStatisticsTexts MakeStatisticsTexts(const RealTimeStatistics& statistics);

// Where the controller publishes the field texts on every refresh.
class IStatisticsView {
public:
    virtual ~IStatisticsView() = default;
    virtual void ShowStatistics(const RealTimeStatisticsTexts& texts) = 0;
};
