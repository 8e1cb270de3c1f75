#include "logger/ExportWorker.h"

#include "common/NumberText.h"
#include "logger/CSheetFile.h"
#include "workbook/WorkbookDriver.h"
#include "workbook/WorkbookText.h"

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

ExportResult Cancelled(const std::string& path)
{
    ExportResult result{false, "Export Data was cancelled: \"" + path + "\" was left as it was."};
    result.cancelled = true;
    return result;
}

std::string Listed(const std::vector<std::string>& fields)
{
    std::string text;
    for (const std::string& field : fields)
        text += (text.empty() ? "\"" : ", \"") + field + "\"";
    return text.empty() ? "an empty first row" : text;
}

std::string WrongHeadersText(bool workbook, const std::vector<std::string>& found)
{
    return std::string(workbook ? "Its sheet \"Sheet\"" : "Its first line") + " has the headers " + Listed(found) +
           ", not \"Date\", \"Time\", \"Value\", \"Unit\": the readings would stand under the wrong "
           "headers. Choose another file.";
}

// How often the rows loop tells how far it has come.
constexpr int kProgressStep = 256;

} // namespace

const std::vector<std::string> kExportHeaders{"Date", "Time", "Value", "Unit"};

FileDialogRequest ExportDialogRequest()
{
    FileDialogRequest request;
    request.filter = "Data File(*.xls)";
    request.initialName = "*.xls";
    request.defaultExtension = "xls";
    // The export asks its own question (ExportOverwriteQuestion): the file
    // is added to, not replaced.
    request.promptOverwrite = false;
    return request;
}

std::string ExportOverwriteQuestion(const std::string& path)
{
    if (CSheetFileIsWorkbook(path))
        return "\"" + path + "\" already exists.\nThe readings will be added below the rows of its sheet \"Sheet\" "
               "(made when there is none), and the sheet's old rows copied to the sheet \"CSpreadSheetBackup\". "
               "Its other sheets keep their cell values.\n\nAdd the readings to this workbook?";
    return "\"" + path + "\" already exists.\nThe readings will be added below its lines, and its old content "
           "copied to \"" + path + ".bak\".\n\nAdd the readings to this file?";
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
    const auto cancelled = [progress] { return progress && progress->cancel.load(); };

    // A folder or a named pipe is refused before anything waits on it.
    if (const std::string kind = NotARegularFile(path); !kind.empty())
        return Failed(path, "\"" + path + "\" is " + kind + ", not a file.");
    const bool workbook = CSheetFileIsWorkbook(path);
    driver->SetCancelFlag(progress ? &progress->cancel : nullptr);
    struct ClearCancel {
        CWorkbookDriver* driver;
        ~ClearCancel() { driver->SetCancelFlag(nullptr); }
    } clearCancel{driver};

    // A text file is comma-separated; a workbook keeps its separator.
    CSheetFile sheet(path, workbook ? kExportSheet : ",", true, driver);
    if (cancelled())
        return Cancelled(path);
    if (sheet.SheetExists()) {
        // The readings go by position under the first four headers: any
        // other headers there would put them under the wrong ones.
        std::vector<std::string> found;
        if (!sheet.ReadRow(found, 1) || found.size() < kExportHeaders.size() ||
            !std::equal(kExportHeaders.begin(), kExportHeaders.end(), found.begin()))
            return Failed(path, WrongHeadersText(workbook, found));
    }
    sheet.BeginTransaction();
    // A sheet that already holds these headers keeps its own, and the
    // readings go below the old rows.
    if (!sheet.SheetExists())
        sheet.AddHeaders(kExportHeaders, false);
    for (int i = 0; i < count; ++i) {
        if (!sheet.AddRow(ExportRowOf(readings[i]), 0, false))
            return Failed(path, Reason(sheet));
        if (progress && (i + 1) % kProgressStep == 0) {
            progress->rows = i + 1;
            if (cancelled())
                return Cancelled(path);
        }
    }
    if (cancelled())
        return Cancelled(path);

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
        return cancelled() ? Cancelled(path) : Failed(path, Reason(sheet));
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

void CExportWorker::Cancel()
{
    m_progress.cancel = true;
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
