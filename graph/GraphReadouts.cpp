#include "GraphReadouts.h"

#include "TimeText.h"

std::array<std::pair<int, const std::string*>, 9> GraphReadoutTexts::ByControlId() const
{
    return {{{1013, &cursorA},
             {1015, &cursorATime},
             {1016, &cursorB},
             {1017, &cursorBTime},
             {1018, &maxBetween},
             {1022, &maxBetweenTime},
             {1019, &minBetween},
             {1020, &minBetweenTime},
             {1021, &avgBetween}}};
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
