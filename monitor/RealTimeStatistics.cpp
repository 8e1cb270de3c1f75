#include "RealTimeStatistics.h"

#include "TimeText.h"

std::array<std::pair<int, const std::string*>, 16> RealTimeStatisticsTexts::ByControlId() const
{
    return {{{1014, &startTime},
             {1005, &dataNo},
             {1006, &avg},
             {1007, &maximum},
             {1008, &maximumTime},
             {1009, &minimum},
             {1010, &minimumTime},
             {1013, &cursorA},
             {1015, &cursorATime},
             {1016, &cursorB},
             {1017, &cursorBTime},
             {1018, &maxBetween},
             {1022, &maxBetweenTime},
             {1019, &minBetween},
             {1020, &minBetweenTime},
             {1021, &avgBetween}}};
}

RealTimeStatisticsTexts MakeStatisticsTexts(const RealTimeStatistics& s)
{
    RealTimeStatisticsTexts t;
    t.startTime = s.startTime;
    t.dataNo = std::to_string(s.dataNo);
    t.avg = FormatGeneral(s.avg);
    t.maximum = FormatGeneral(s.maximum);
    t.maximumTime = s.maximumTime;
    t.minimum = FormatGeneral(s.minimum);
    t.minimumTime = s.minimumTime;
    t.cursorA = FormatGeneral(s.cursorA);
    t.cursorATime = s.cursorATime;
    t.cursorB = FormatGeneral(s.cursorB);
    t.cursorBTime = s.cursorBTime;
    t.maxBetween = FormatGeneral(s.maxBetween);
    t.maxBetweenTime = s.maxBetweenTime;
    t.minBetween = FormatGeneral(s.minBetween);
    t.minBetweenTime = s.minBetweenTime;
    t.avgBetween = FormatGeneral(s.avgBetween);
    return t;
}
