#pragma once

#include "common/DataSample.h"
#include "common/DialogSeam.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class CWorkbookDriver;

// Export Data: the real-time readings written to a workbook (sheet "Sheet",
// columns Date, Time, Value, Unit), or to a delimited text file for a name
// that does not end in ".xls".

inline constexpr const char* kExportFinishedText = "Export Data has finish.";
inline constexpr const char* kExportSheet = "Sheet";

// The save dialog of Export Data: "Data File(*.xls)", initial name "*.xls",
// default extension "xls", ask before overwriting.
FileDialogRequest ExportDialogRequest();

// The question asked before exporting into a file that already exists: what
// will happen to it (the readings are added, the old content backed up).
std::string ExportOverwriteQuestion(const std::string& path);

// The header row of the export.
extern const std::vector<std::string> kExportHeaders;

// One reading as a row: its date and time texts, the value as "%4.1f"
// (65.3, 100.0, " 5.0") and the unit.
std::vector<std::string> ExportRowOf(const DataSample& sample);

struct ExportResult {
    bool ok = false;
    std::string message; // kExportFinishedText, or what went wrong
    bool cancelled = false;
};

// How far an export has come, readable from another thread: readings handed
// to the sheet, then statements sent to the driver, out of about twice the
// readings.
struct ExportProgress {
    std::atomic<int> rows{0};
    std::atomic<int> total{0};
    // The driver and its statement count when the commit began.
    std::atomic<const CWorkbookDriver*> driver{nullptr};
    std::atomic<int> commitBase{-1};
    // Set from any thread to stop the export; the file is then left as it was.
    std::atomic<bool> cancel{false};

    int Done() const;
};

// The export itself, on the calling thread: the sheet file with a backup of
// any old content, the header row, one row per reading, one commit. The
// workbook (backup included) is written only when every reading found its
// row; otherwise the result names the reason and the file stays as it was.
// A name not ending in ".xls" gives a comma-separated text file (RFC 4180).
// Anything that is not a regular file, and a sheet or text file whose headers
// are not Date, Time, Value, Unit, is refused before anything is written.
ExportResult ExportReadings(const std::string& path, const DataSample* readings, int count,
                            CWorkbookDriver* driver = nullptr, ExportProgress* progress = nullptr);

// ExportReadings on a thread of its own, over the readings it is handed (a
// copy: the store may go on recording or be cleaned meanwhile).
class CExportWorker {
public:
    CExportWorker(std::string path, std::vector<DataSample> readings);
    // Waits for the export to end.
    ~CExportWorker();
    CExportWorker(const CExportWorker&) = delete;
    CExportWorker& operator=(const CExportWorker&) = delete;

    void Start();
    // Asks the export to stop; Result() then says it was cancelled, unless
    // the file was already being written.
    void Cancel();
    bool Finished() const { return m_finished.load(std::memory_order_acquire); }
    // The outcome, once Finished().
    const ExportResult& Result() const { return m_result; }
    const ExportProgress& Progress() const { return m_progress; }
    const std::string& Path() const { return m_path; }

private:
    std::unique_ptr<CWorkbookDriver> m_driver;
    std::string m_path;
    std::vector<DataSample> m_readings;
    ExportResult m_result;
    ExportProgress m_progress;
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
};
