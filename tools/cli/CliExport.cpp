#include "tools/cli/CliOptions.h"

#include "logger/CSheetFile.h"
#include "logger/DataFileReader.h"
#include "logger/ExportWorker.h"

#include <cstdio>

int RunExport(const CliOptions& options)
{
    if (options.arguments.size() != 2) {
        std::fputs("vexalog-cli export: give a data file and the workbook (or text file) to write\n", stderr);
        return kExitUsage;
    }
    const std::string& in = options.arguments[0];
    const std::string& out = options.arguments[1];
    const DataFileReadResult read = ReadDataFile(in);
    if (read.status != DataFileReadStatus::Ok) {
        std::fprintf(stderr, "vexalog-cli export: %s\n", read.error.c_str());
        return kExitFailed;
    }
    const std::string truncation = DataFileTruncationText(read.data);
    if (!truncation.empty())
        std::fprintf(stderr, "vexalog-cli export: %s\n", truncation.c_str());

    const ExportResult result = ExportReadings(out, read.data.store.data(), read.data.count);
    if (!result.ok) {
        std::fprintf(stderr, "vexalog-cli export: %s\n", result.message.c_str());
        return kExitFailed;
    }
    const bool workbook = CSheetFileIsWorkbook(out);
    std::printf("exported %d readings to %s (%s)\n", read.data.count, out.c_str(),
                workbook ? "sheet \"Sheet\" of the workbook" : "comma-separated text file");
    return 0;
}
