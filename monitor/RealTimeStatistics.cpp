#include "monitor/RealTimeStatistics.h"

#include "common/ControlIds.h"
#include "common/TimeText.h"
#include "graph/GraphReadouts.h"

std::array<std::pair<int, const std::string*>, 7> RealTimeStatisticsTexts::ByControlId() const
{
    return {{{ControlId::StartTime, &startTime},
             {ControlId::DataNo, &dataNo},
             {ControlId::Avg, &avg},
             {ControlId::Maximum, &maximum},
             {ControlId::MaximumTime, &maximumTime},
             {ControlId::Minimum, &minimum},
             {ControlId::MinimumTime, &minimumTime}}};
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
