// File > Report… of the main window and Report… of the DataLogger window:
// the measurement report through the print dialog.
#include "monitor/widgets/CVexalogView.h"

#include "graph/widgets/CPrintJob.h"
#include "report/ReportPrinting.h"

#include <vector>

void CVexalogView::PrintRecordingReport()
{
    const ReadingStore& store = m_controller.Store();
    if (store.Count() <= 0)
        return;
    const std::vector<DataSample> samples(store.Data(), store.Data() + store.Count());
    ReportRequest request;
    // The digest names a file only while it holds exactly these readings.
    if (!m_controller.HasUnsavedReadings())
        request.dataPath = m_savedPath;
    CPrintJob job(m_dialogs);
    PrintReportCommand(job, m_dialogs, request, samples, samples.front().unit, m_controller.SamplingPeriod());
}

void CVexalogView::PrintDataLoggerReport()
{
    if (!m_dataLogger || m_dataLogger->OpenedRow() < 0)
        return;
    const CDataLoggerModel& model = m_dataLogger->Model();
    ReportRequest request;
    request.setNumber = m_dataLogger->OpenedRow() + 1;
    request.dataPath = model.Downloaded() ? std::string() : model.ImportedPath();
    CPrintJob job(m_dialogs);
    PrintReportCommand(job, m_dialogs, request, model.OpenedSamples(), model.Fields().unit, model.SaveRate());
}
