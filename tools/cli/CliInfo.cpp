#include "tools/cli/CliOptions.h"

#include "common/TimeText.h"
#include "logger/DataFileReader.h"
#include "logger/DataFileSummary.h"

#include "logger/SetIndicators.h"

#include "acoustics/IndicatorText.h"

#include <cstdio>

namespace {

// Written whole: the lines are escaped, but a NUL must never end one early.
void PrintLine(std::string line)
{
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

} // namespace

int RunInfo(const CliOptions& options)
{
    std::string error;
    if (!options.Check({"json"}, 1, &error)) {
        std::fprintf(stderr, "vexalog-cli info: %s\n", error.c_str());
        return kExitUsage;
    }
    if (options.arguments.size() != 1) {
        std::fputs("vexalog-cli info: give one data file\n", stderr);
        return kExitUsage;
    }
    const DataFileReadResult result = ReadDataFile(options.arguments.front());
    if (result.status != DataFileReadStatus::Ok) {
        std::fprintf(stderr, "vexalog-cli info: %s\n", result.error.c_str());
        return kExitFailed;
    }
    const std::vector<SetIndicators> sets = IndicatorsOfSets(result.data);
    if (options.Has("json")) {
        PrintLine(IndicatorsJson(sets));
        return 0;
    }
    for (std::string line : DataFileSummaryLines(result.data))
        PrintLine(std::move(line));
    for (const SetIndicators& set : sets) {
        PrintLine("Set " + std::to_string(set.set) + " indicators:");
        for (std::string line : IndicatorLines(set.indicators))
            PrintLine(std::move(line));
    }
    return 0;
}
