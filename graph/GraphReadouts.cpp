#include "GraphReadouts.h"

#include "ControlIds.h"
#include "TimeText.h"

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

GraphReadoutTexts MakeReadoutTexts(const GraphReadouts& r)
{
    GraphReadoutTexts t;
    t.cursorA = FormatGeneral(r.cursorA);
    t.cursorATime = r.cursorATime;
    t.cursorB = FormatGeneral(r.cursorB);
    t.cursorBTime = r.cursorBTime;
    t.maxBetween = FormatGeneral(r.maxBetween);
    t.maxBetweenTime = r.maxBetweenTime;
    t.minBetween = FormatGeneral(r.minBetween);
    t.minBetweenTime = r.minBetweenTime;
    t.avgBetween = FormatGeneral(r.avgBetween);
    return t;
}
