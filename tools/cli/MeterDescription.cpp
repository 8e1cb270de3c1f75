#include "MeterDescription.h"

#include "MeterState.h"

#include <cstdio>

namespace {

std::string Digits(const int (&d)[4])
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d%d%d.%d", d[0], d[1], d[2], d[3]);
    return buf;
}

const char* RangeText(int range)
{
    switch (range) {
    case 1: return "range 1 (30-80)";
    case 2: return "range 2 (50-100)";
    case 3: return "range 3 (80-130)";
    case 4: return "range 4 (30-130 auto)";
    default: return "range -";
    }
}

} // namespace

std::string DescribeMeterState(const MeterState& s)
{
    std::string line = s.clockValid ? s.clockText24 : std::string("--:--:--");
    line += "  ";
    line += s.displayValid ? Digits(s.displayDigits) + " dB" : std::string("---.- dB");
    line += "  bar " + Digits(s.barDigits);
    line += "  ";
    line += RangeText(s.range);
    const struct {
        bool on;
        const char* word;
    } words[] = {{s.fast, "FAST"}, {s.slow, "SLOW"}, {s.max, "MAX"},     {s.min, "MIN"},   {s.dBA, "dBA"},
                 {s.dBC, "dBC"},   {s.rec, "REC"},   {s.autoRange, "AUTO"}, {s.hold, "HOLD"}, {s.over, "OVER"},
                 {s.under, "UNDER"}};
    bool first = true;
    for (const auto& w : words) {
        if (!w.on)
            continue;
        line += first ? "  " : " ";
        line += w.word;
        first = false;
    }
    return line;
}
