#pragma once

#include "workbook/SqlStatement.h"
#include "workbook/Workbook.h"

#include <atomic>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class CWorkbookConnection;

// The program's own spreadsheet driver, in the place of a database driver
// manager with a driver for Excel workbooks. It is the one entry of the list
// of installed drivers, takes a connection string naming it and a workbook
// (DBQ), and carries out the statements of SqlStatement.h on the workbook.
// A connection reads the workbook when it opens (through FreeXL) and writes
// it once, when it closes, and only when every statement succeeded: a failed
// statement leaves the file as it was. The file is replaced only once the
// new one is completely written. An existing workbook is changed at record
// level (WorkbookEditor.h): what the statements did not touch stays as it was.
class CWorkbookDriver {
public:
    static constexpr const char* kName = "Vexalog Excel Workbook Driver (*.xls)";

    // The installed drivers into buffer as the installer gives them: each
    // name ends with a NUL and an empty name ends the list. False when the
    // buffer is too small.
    static bool GetInstalledDrivers(char* buffer, std::size_t size);

    // A connection, or null with *error saying why (unknown driver, no
    // workbook named, a file that is not a workbook, a missing workbook
    // without CREATE_DB).
    std::unique_ptr<CWorkbookConnection> Connect(const std::string& connectionString, std::string* error);

    // Tests may have every statement received kept, in order.
    void SetLogging(bool on);
    std::vector<std::string> StatementLog() const;
    void ClearLog();
    // Statements received so far; may be read from another thread.
    int StatementCount() const { return m_count.load(std::memory_order_relaxed); }

    // Once *flag is set (from any thread), reading a workbook stops, every
    // statement fails and no connection writes its file. Null: never.
    void SetCancelFlag(const std::atomic<bool>* flag) { m_cancel = flag; }
    bool Cancelled() const { return m_cancel && m_cancel->load(std::memory_order_relaxed); }
    static constexpr const char* kCancelledText = "The export was cancelled.";

private:
    friend class CWorkbookConnection;
    void Received(const std::string& sql);

    mutable std::mutex m_mutex;
    bool m_logging = false;
    std::vector<std::string> m_log;
    std::atomic<int> m_count{0};
    const std::atomic<bool>* m_cancel = nullptr;
};

// Empty for a regular file (or one that does not exist); otherwise what it
// is instead ("a folder", "a named pipe", ...). Nothing is opened.
std::string NotARegularFile(const std::string& path);

// The attributes of a connection string, keys in upper case, braces and
// quotes around values removed. An unquoted value runs to the next ';' that
// starts another known attribute, so a file name may hold a ';'.
std::map<std::string, std::string> ParseConnectionString(const std::string& text);

// A SELECT's answer: the column names and the rows, every field as text.
struct WorkbookResult {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
};

class CWorkbookConnection {
public:
    ~CWorkbookConnection();
    CWorkbookConnection(const CWorkbookConnection&) = delete;
    CWorkbookConnection& operator=(const CWorkbookConnection&) = delete;

    // CREATE TABLE, DROP TABLE and INSERT INTO. False with Error() on failure.
    bool Execute(const std::string& sql);
    // SELECT * FROM. False with Error() on failure.
    bool Query(const std::string& sql, WorkbookResult& result);
    // Ends the connection, writing the workbook when statements changed it
    // and none failed. False with Error() when it could not be written.
    bool Close();
    // Ends the connection without writing anything.
    void Abandon() { m_open = false; }

    const std::string& Error() const { return m_error; }

private:
    friend class CWorkbookDriver;
    CWorkbookConnection(CWorkbookDriver& driver, std::string path, bool readOnly, bool firstRowHasNames);

    bool Fail(const std::string& text);
    bool Create(const SqlStatement& statement);
    bool Drop(const SqlStatement& statement);
    bool Insert(const SqlStatement& statement);
    bool Select(const SqlStatement& statement, WorkbookResult& result);
    WorkbookSheet* SheetOf(const SqlTable& table);

    CWorkbookDriver& m_driver;
    std::string m_path;
    bool m_readOnly = false;
    bool m_firstRowHasNames = true;
    bool m_changed = false;
    bool m_failed = false;
    bool m_open = true;
    std::string m_error;
    Workbook m_workbook;
    // A workbook that existed: its bytes and cells as read, and the sheets
    // statements changed, so Close can change it at record level.
    bool m_loaded = false;
    std::string m_fileBytes;
    Workbook m_original;
    std::set<std::string> m_written;
    // The header row of the table last inserted into. Sheets only move when
    // one is added, and adding one (CREATE) forgets this.
    struct HeaderCache {
        const WorkbookSheet* sheet = nullptr;
        int firstRow = 0;
        int firstColumn = 0;
        int lastColumn = 0;
        std::vector<std::string> names;
    } m_header;
};
