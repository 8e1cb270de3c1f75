#include "tools/cli/CliOptions.h"

#include "common/LoggerRecordSet.h"
#include "graph/widgets/CPrintJob.h"
#include "logger/DataFileReader.h"
#include "report/ReportPrinting.h"
#include "tools/cli/ConsoleDialogs.h"

#include <algorithm>
#include <cstdio>

namespace {

void Refuse(const std::string& text)
{
    std::fprintf(stderr, "vexalog-cli report: %s\n", text.c_str());
}

} // namespace

int RunReport(const CliOptions& options)
{
    std::string error;
    const std::optional<PdfSetOptions> checked = CheckPdfSetOptions(options, {"title", "location"}, &error);
    if (!checked) {
        Refuse(error);
        return kExitUsage;
    }
    const std::string& pdf = checked->pdf;
    const int setNumber = checked->setNumber;

    ReportRequest request;
    request.dataPath = options.arguments.front();
    request.setNumber = setNumber;
    request.title = options.Value("title").value_or(kReportDefaultTitle);
    request.location = options.Value("location").value_or("");

    const DataFileReadResult read = ReadDataFile(request.dataPath);
    if (read.status != DataFileReadStatus::Ok) {
        Refuse(read.error);
        return kExitFailed;
    }
    const DataFileImport& data = read.data;
    if (setNumber > data.SetCount()) {
        Refuse("the file holds " + std::to_string(data.SetCount()) + " record set" +
               (data.SetCount() == 1 ? "" : "s") + ", not set " + std::to_string(setNumber));
        return kExitFailed;
    }
    const LoggerRecordSet& set = data.sets[static_cast<std::size_t>(setNumber - 1)];
    const int begin = std::clamp(set.begin, 0, data.count);
    const int end = std::clamp(set.end + 1, begin, data.count);
    const std::vector<DataSample> samples(data.store.begin() + begin, data.store.begin() + end);

    CConsoleDialogs dialogs;
    CPrintJob job(dialogs);
    if (PrintMeasurementReport(job, pdf, request, samples, set.unit, data.rate) != 0) {
        Refuse("cannot write " + pdf);
        return kExitFailed;
    }
    std::printf("wrote the report of record set %d (%d readings) to %s\n", setNumber, end - begin, pdf.c_str());
    return 0;
}
