#include "tools/cli/CliOptions.h"

#include "common/Clock.h"
#include "common/LoggerRecordSet.h"
#include "graph/GraphOwnerModel.h"
#include "graph/widgets/CPrintJob.h"
#include "logger/DataFileReader.h"
#include "logger/DataLoggerGraph.h"
#include "logger/DataLoggerModel.h"
#include "logger/LoggerGraphSize.h"
#include "logger/widgets/DataLoggerForm.h"
#include "logger/widgets/DataLoggerPrinting.h"
#include "tools/cli/ConsoleDialogs.h"

#include <cstdio>

namespace {

void Refuse(const std::string& text)
{
    std::fprintf(stderr, "vexalog-cli print: %s\n", text.c_str());
}

} // namespace

int RunPrint(const CliOptions& options)
{
    std::string error;
    const std::optional<PdfSetOptions> checked = CheckPdfSetOptions(options, {}, &error);
    if (!checked) {
        Refuse(error);
        return kExitUsage;
    }
    const std::string& pdf = checked->pdf;
    const int setNumber = checked->setNumber;

    DataFileReadResult read = ReadDataFile(options.arguments.front());
    if (read.status != DataFileReadStatus::Ok) {
        Refuse(read.error);
        return kExitFailed;
    }
    const std::string truncation = DataFileTruncationText(read.data);
    if (!truncation.empty())
        Refuse(truncation);

    // The set opened as the DataLogger window opens it, on a graph of the
    // window's size, and printed as its Print Data prints it.
    CSystemClock clock;
    CDataLoggerModel model(clock);
    model.TakeImport(std::move(read.data));
    const int sets = static_cast<int>(model.Rows().size());
    if (setNumber > sets) {
        Refuse("the file holds " + std::to_string(sets) + " record set" + (sets == 1 ? "" : "s") + ", not set " +
               std::to_string(setNumber));
        return kExitFailed;
    }
    CDataLoggerFeed feed;
    CGraphOwnerModel owner(feed, nullptr, ReadoutTimes::AsHanded);
    CDataLoggerGraph graph(owner);
    feed.SetGraph(&graph);
    graph.Attach(LoggerGraphSize::kWidth, LoggerGraphSize::kHeight);
    OpenedSet opened;
    if (model.Open(setNumber - 1, graph.GetPlotWidth(), &opened) != OpenStatus::Opened) {
        Refuse(kMemoryOverflowText);
        return kExitFailed;
    }
    graph.SetData(opened.start, opened.scale, opened.samples, opened.count);
    owner.UndoZoom();

    CConsoleDialogs dialogs;
    CPrintJob job(dialogs);
    const PrintedFrame frame = MakePrintedFrame(job, graph.State().bottomDb, graph.State().topDb);
    if (PrintChartPage(job, pdf, DataLoggerChart(graph, frame)) != 0) {
        Refuse("cannot write " + pdf);
        return kExitFailed;
    }
    std::printf("printed record set %d (%d samples) to %s\n", setNumber, opened.count, pdf.c_str());
    return 0;
}
