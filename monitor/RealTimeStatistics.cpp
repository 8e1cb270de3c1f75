#include "monitor/RealTimeStatistics.h"

#include "common/TimeText.h"
#include "graph/GraphReadouts.h"

std::array<std::pair<StatisticsField, const std::string*>, 7> RealTimeStatisticsTexts::Fields() const
{
    using F = StatisticsField;
    return {{{F::StartTime, &startTime},
             {F::DataNo, &dataNo},
             {F::Avg, &avg},
             {F::Maximum, &maximum},
             {F::MaximumTime, &maximumTime},
             {F::Minimum, &minimum},
             {F::MinimumTime, &minimumTime}}};
}

RealTimeStatisticsTexts MakeStatisticsTexts(const RealTimeStatistics& s)
{
    RealTimeStatisticsTexts t;
    t.startTime = s.startTime;
    t.dataNo = std::to_string(s.dataNo);
    t.avg = AverageFieldText(s.avg);
    t.maximum = LevelFieldText(s.maximum);
    t.maximumTime = s.maximumTime;
    t.minimum = LevelFieldText(s.minimum);
    t.minimumTime = s.minimumTime;
    return t;
}
