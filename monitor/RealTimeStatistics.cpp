#include "RealTimeStatistics.h"

#include "TimeText.h"

std::array<std::pair<int, const std::string*>, 7> RealTimeStatisticsTexts::ByControlId() const
{
    return {{{1014, &startTime},
             {1005, &dataNo},
             {1006, &avg},
             {1007, &maximum},
             {1008, &maximumTime},
             {1009, &minimum},
             {1010, &minimumTime}}};
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
    return t;
}
