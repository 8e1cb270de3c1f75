#include "CliOptions.h"

#include "DataFileReader.h"
#include "DataFileSummary.h"

#include <cstdio>

int RunInfo(const CliOptions& options)
{
    std::string error;
    if (!options.Check({}, 1, &error)) {
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
    // Written whole: the lines are escaped, but a NUL must never end one early.
    for (std::string line : DataFileSummaryLines(result.data)) {
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return 0;
}
