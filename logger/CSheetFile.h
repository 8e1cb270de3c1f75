#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CWorkbookConnection;
class CWorkbookDriver;
struct WorkbookResult;

// Whether CSheetFile treats path as a workbook: it ends in ".xls", in any case.
bool CSheetFileIsWorkbook(const std::string& path);

// Splits one line of a delimited text file into fields (RFC 4180 with any
// separator): a field in quotes may hold the separator, and "" stands for a
// quote inside it.
void SplitDelimitedLine(const std::string& line, const std::string& separator, std::vector<std::string>& fields);

// Empty when the workbook driver reads path back from the connection string
// exactly; otherwise the message refusing the name (one holding ";DBQ=",
// for instance, would name another file).
std::string ConnectionNameProblem(const std::string& connectionString, const std::string& path);

// A small spreadsheet kept whole in memory as text rows, written back in one
// go by Commit. A file name ending in ".xls" (in any case) is a workbook,
// read and written through the workbook driver with SQL statements on one
// sheet; any other name is a delimited text file. Rows are stored as their
// fields in double quotes joined by the separator (",;.?" for a workbook); a
// text file's rows follow RFC 4180 (a quote inside a field is doubled).
// Failures come back as false, with the reason in LastError().
//
// A workbook's backup is sent on a connection that stays open until the next
// Commit: the file is written once, with the backup and the new content, and
// a sheet file destroyed without a successful Commit leaves it as it was.
class CSheetFile {
public:
    // path: the workbook or text file. sheetOrSeparator: the sheet's name for
    // a workbook, the field separator for a text file. backup: keep a copy of
    // the content found (the sheet "CSpreadSheetBackup" of the workbook, or
    // the file "<path>.bak"). driver: the driver to use; one of its own when
    // null.
    CSheetFile(const std::string& path, const std::string& sheetOrSeparator, bool backup,
               CWorkbookDriver* driver = nullptr);
    ~CSheetFile();
    CSheetFile(const CSheetFile&) = delete;
    CSheetFile& operator=(const CSheetFile&) = delete;

    // Rows added from here to Commit are kept in memory only.
    void BeginTransaction();
    // Sets or extends the header row (row 1).
    bool AddHeaders(const std::vector<std::string>& fields, bool replace);
    // row 0 appends; otherwise the 1-based row is replaced or inserted before.
    bool AddRow(const std::vector<std::string>& fields, int row, bool replace);
    // row 0 reads the current row and moves on.
    bool ReadRow(std::vector<std::string>& fields, int row);
    // Writes the whole content: the sheet's statements, or the text file.
    bool Commit();

    const std::string& LastError() const { return m_lastError; }
    // What the system said behind "Error in opening file" or "Error writing
    // file" ("Permission denied"); empty for the other failures.
    const std::string& LastErrorReason() const { return m_lastErrorReason; }
    bool WorkbookMode() const { return m_workbookMode; }
    bool SheetExists() const { return m_sheetExists; }
    bool Backup() const { return m_backup; }
    int TotalRows() const { return m_totalRows; }
    int Columns() const { return m_columns; }
    const std::string& ConnectionString() const { return m_connectionString; }
    const std::string& DriverName() const { return m_driverName; }

    // The sheet a workbook's old content is copied to when backup is asked for.
    static constexpr const char* kBackupSheet = "CSpreadSheetBackup";
    static constexpr const char* kWorkbookSeparator = ",;.?";

private:
    bool Open();
    bool OpenWorkbook();
    bool OpenText();
    bool CommitWorkbook();
    bool CommitText();
    bool Execute(const std::string& sql);
    bool FailCommit();
    void AbandonConnection();
    std::string FindExcelDriver() const;
    std::string JoinRow(const std::vector<std::string>& fields) const;
    std::string FillerRow() const;
    void SplitRow(const std::string& row, std::vector<std::string>& fields) const;

    bool m_sheetExists = false;
    bool m_backup = false;
    bool m_workbookMode = false;
    bool m_transaction = false;
    int m_currentRow = 1;
    int m_totalRows = 0;
    std::int16_t m_columns = 0;
    std::string m_sql;
    std::string m_connectionString;
    std::string m_rowText;
    std::string m_sheetName;
    std::string m_driverName;
    std::string m_filePath;
    std::string m_separator;
    std::string m_lastError;
    std::string m_lastErrorReason;
    // Why the path cannot be named in the connection string, when it cannot.
    std::string m_nameProblem;
    // While the backup is being written: the connection stays open, so the
    // backup and the commit that follows reach the file together or not at all.
    bool m_holdConnection = false;
    std::vector<std::string> m_rowFields;
    std::vector<std::string> m_headerFields;
    std::vector<std::string> m_rows;
    std::unique_ptr<CWorkbookDriver> m_ownDriver;
    CWorkbookDriver* m_driver = nullptr;
    std::unique_ptr<CWorkbookConnection> m_database;
    std::unique_ptr<WorkbookResult> m_recordset;
};
