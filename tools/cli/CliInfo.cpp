#include "CliOptions.h"

#include "DataFileReader.h"
#include "DataFileSummary.h"

#include <cstdio>

int RunInfo(const CliOptions& options)
{
    if (options.arguments.size() != 1) {
        std::fputs("vexalog-cli info: give one data file\n", stderr);
        return 2;
    }
    const DataFileReadResult result = ReadDataFile(options.arguments.front());
    if (result.status != DataFileReadStatus::Ok) {
        std::fprintf(stderr, "vexalog-cli info: %s\n", result.error.c_str());
        return 1;
    }
    for (const std::string& line : DataFileSummaryLines(result.data))
        std::printf("%s\n", line.c_str());
    return 0;
}
