#include "graph/GraphReadouts.h"

#include "common/ControlIds.h"
#include "common/NumberText.h"
#include "common/TimeText.h"

std::array<std::pair<int, const std::string*>, 9> GraphReadoutTexts::ByControlId() const
{
    return {{{ControlId::CursorA, &cursorA},
             {ControlId::CursorATime, &cursorATime},
             {ControlId::CursorB, &cursorB},
             {ControlId::CursorBTime, &cursorBTime},
             {ControlId::MaxBetween, &maxBetween},
             {ControlId::MaxBetweenTime, &maxBetweenTime},
             {ControlId::MinBetween, &minBetween},
             {ControlId::MinBetweenTime, &minBetweenTime},
             {ControlId::AvgBetween, &avgBetween}}};
}

std::string LevelFieldText(double value)
{
    return FormatFixed(value, 1);
}

std::string AverageFieldText(double value)
{
    return FormatFixed(value, 2);
}

GraphReadoutTexts MakeReadoutTexts(const GraphReadouts& r)
{
    GraphReadoutTexts t;
    if (!r.noCursorA) {
        t.cursorA = LevelFieldText(r.cursorA);
        t.cursorATime = r.cursorATime;
    }
    if (!r.noCursorB) {
        t.cursorB = LevelFieldText(r.cursorB);
        t.cursorBTime = r.cursorBTime;
    }
    if (!r.noneBetween) {
        t.maxBetween = LevelFieldText(r.maxBetween);
        t.maxBetweenTime = r.maxBetweenTime;
        t.minBetween = LevelFieldText(r.minBetween);
        t.minBetweenTime = r.minBetweenTime;
        t.avgBetween = AverageFieldText(r.avgBetween);
    }
    return t;
}
