#include "ExportWorker.h"

#include "CSheetFile.h"
#include "NumberText.h"
#include "WorkbookDriver.h"
#include "WorkbookText.h"

#include <algorithm>

namespace {

std::string Reason(const CSheetFile& sheet)
{
    std::string text = sheet.LastError();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (!sheet.LastErrorReason().empty())
        text += ": " + sheet.LastErrorReason();
    if (!text.empty() && text.back() != '.')
        text += '.';
    return text;
}

ExportResult Failed(const std::string& path, const std::string& reason)
{
    return {false, "The readings were not exported to \"" + path + "\".\n" + reason};
}

// How often the rows loop tells how far it has come.
constexpr int kProgressStep = 256;

} // namespace

FileDialogRequest ExportDialogRequest()
{
    FileDialogRequest request;
    request.filter = "Data File(*.xls)";
    request.initialName = "*.xls";
    request.defaultExtension = "xls";
    request.promptOverwrite = true;
    return request;
}

std::vector<std::string> ExportRowOf(const DataSample& sample)
{
    return {sample.date, sample.time, FormatFixed(sample.value, 1, 4), sample.unit};
}

ExportResult ExportReadings(const std::string& path, const DataSample* readings, int count,
                            CWorkbookDriver* driver, ExportProgress* progress)
{
    CWorkbookDriver ownDriver;
    if (driver == nullptr)
        driver = &ownDriver;
    if (readings == nullptr || count < 0)
        count = 0;
    if (progress)
        progress->total = 2 * count + 2;

    CSheetFile sheet(path, kExportSheet, true, driver);
    sheet.BeginTransaction();
    // A sheet that already holds these headers keeps its own: the new ones
    // are refused as duplicates, and the readings go below the old rows.
    sheet.AddHeaders({"Date", "Time", "Value", "Unit"}, false);
    for (int i = 0; i < count; ++i) {
        if (!sheet.AddRow(ExportRowOf(readings[i]), 0, false))
            return Failed(path, Reason(sheet));
        if (progress && (i + 1) % kProgressStep == 0)
            progress->rows = i + 1;
    }

    // The commit sends the DROP and CREATE and one INSERT per row.
    if (progress) {
        progress->rows = count;
        progress->total = count + sheet.TotalRows() + 1;
        progress->commitBase = driver->StatementCount();
        progress->driver = driver;
    }
    const bool committed = sheet.Commit();
    if (progress) {
        progress->driver = nullptr;
        progress->rows = progress->total.load();
    }
    if (!committed)
        return Failed(path, Reason(sheet));
    return {true, kExportFinishedText};
}

int ExportProgress::Done() const
{
    int done = rows.load();
    const CWorkbookDriver* committing = driver.load();
    const int base = commitBase.load();
    if (committing && base >= 0)
        done += committing->StatementCount() - base;
    return std::min(done, total.load());
}

CExportWorker::CExportWorker(std::string path, std::vector<DataSample> readings)
    : m_driver(std::make_unique<CWorkbookDriver>())
    , m_path(std::move(path))
    , m_readings(std::move(readings))
{
}

CExportWorker::~CExportWorker()
{
    if (m_thread.joinable())
        m_thread.join();
}

void CExportWorker::Start()
{
    if (m_thread.joinable())
        return;
    m_thread = std::thread([this] {
        try {
            m_result = ExportReadings(m_path, m_readings.data(), static_cast<int>(m_readings.size()), m_driver.get(),
                                      &m_progress);
        } catch (const std::bad_alloc&) {
            m_result = Failed(m_path, "There is not enough memory.");
        }
        m_finished.store(true, std::memory_order_release);
    });
}
