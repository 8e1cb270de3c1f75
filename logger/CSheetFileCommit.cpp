// CSheetFile: opening the content and writing it back, in both modes.
#include "logger/CSheetFile.h"

#include "common/TempFile.h"
#include "workbook/WorkbookDriver.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

constexpr const char* kOpenError = "Error in opening file\n";
constexpr const char* kReadError = "Error reading row\n";
constexpr const char* kWriteError = "Error writing file\n";
// A text file larger than this is not read into memory as a sheet.
constexpr std::size_t kMaxTextFile = 64u << 20;

// A text in apostrophes for a statement: an apostrophe inside is doubled, so
// a field can never end the text early.
void AppendSqlText(std::string& sql, const std::string& text)
{
    sql += '\'';
    for (char c : text) {
        if (c == '\'')
            sql += '\'';
        sql += c;
    }
    sql += '\'';
}

// Drops the ", " after the last item of a list, when there is one.
void DropListComma(std::string& sql, bool any)
{
    if (any)
        sql.resize(sql.size() - 2);
}

} // namespace

bool CSheetFile::Open()
{
    return m_workbookMode ? OpenWorkbook() : OpenText();
}

bool CSheetFile::OpenWorkbook()
{
    if (!m_nameProblem.empty())
        return false;
    std::string error;
    m_database = m_driver->Connect(m_connectionString, &error);
    if (!m_database)
        return false;
    m_recordset = std::make_unique<WorkbookResult>();
    m_sql = "SELECT * FROM [" + m_sheetName + "$A1:IV65536]";
    if (!m_database->Query(m_sql, *m_recordset)) {
        // No such sheet (or no workbook yet): the content is empty.
        m_recordset.reset();
        m_database->Close();
        m_database.reset();
        return false;
    }
    m_columns = static_cast<std::int16_t>(m_recordset->columns.size());
    if (m_columns > 0) {
        m_rows.clear();
        m_sheetExists = true;
        ++m_totalRows;
        m_headerFields = m_recordset->columns;
        m_rows.push_back(JoinRow(m_headerFields));
        for (const std::vector<std::string>& record : m_recordset->rows) {
            if (record.size() != m_recordset->columns.size()) {
                m_lastError = kReadError;
                m_recordset.reset();
                m_database->Close();
                m_database.reset();
                return false;
            }
            ++m_totalRows;
            m_rows.push_back(JoinRow(record));
        }
    }
    m_recordset.reset();
    m_database->Close();
    m_database.reset();
    m_currentRow = 1;
    return true;
}

bool CSheetFile::OpenText()
{
    const auto refuse = [this](const std::string& reason) {
        m_lastError = kOpenError;
        m_lastErrorReason = reason;
        return false;
    };
    struct stat info {};
    if (::stat(m_filePath.c_str(), &info) != 0)
        return refuse(std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        return refuse("it is not a regular file");
    if (static_cast<std::size_t>(info.st_size) > kMaxTextFile)
        return refuse("it is larger than 64 MB");
    std::ifstream file(m_filePath, std::ios::binary);
    if (!file)
        return refuse("it cannot be opened for reading");
    std::string content;
    content.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (content.size() > kMaxTextFile)
        return refuse("it is larger than 64 MB");

    // Lines end in LF or CR LF; a last line may lack its end.
    m_rows.clear();
    for (std::size_t at = 0; at < content.size();) {
        const std::size_t lf = content.find('\n', at);
        if (lf == std::string::npos) {
            m_rows.push_back(content.substr(at));
            break;
        }
        const std::size_t end = lf > at && content[lf - 1] == '\r' ? lf - 1 : lf;
        m_rows.push_back(content.substr(at, end - at));
        at = lf + 1;
    }
    m_totalRows = static_cast<int>(m_rows.size());
    if (m_totalRows > 0)
        ReadRow(m_headerFields, 1);
    std::size_t widest = 0;
    std::vector<std::string> fields;
    for (const std::string& row : m_rows) {
        fields.clear();
        SplitRow(row, fields);
        widest = std::max(widest, fields.size());
    }
    m_columns = static_cast<std::int16_t>(std::min<std::size_t>(widest, 32767));
    m_sheetExists = m_columns > 0;
    return true;
}

bool CSheetFile::Commit()
{
    return m_workbookMode ? CommitWorkbook() : CommitText();
}

bool CSheetFile::Execute(const std::string& sql)
{
    return m_database->Execute(sql);
}

bool CSheetFile::FailCommit()
{
    m_lastError = m_database->Error();
    AbandonConnection();
    return false;
}

bool CSheetFile::CommitWorkbook()
{
    if (!m_nameProblem.empty()) {
        m_lastError = m_nameProblem;
        return false;
    }
    // The connection the backup was sent on, when it is still open.
    if (!m_database) {
        std::string error;
        m_database = m_driver->Connect(m_connectionString, &error);
        if (!m_database) {
            m_lastError = error;
            return false;
        }
    }
    if (m_sheetExists) {
        m_sql = "DROP TABLE [" + m_sheetName + "$A1:IV65536]";
        if (!Execute(m_sql))
            return FailCommit();
        m_sql = "CREATE TABLE [" + m_sheetName + "$A1:IV65536] (";
    } else {
        m_sql = "CREATE TABLE [" + m_sheetName + "] (";
    }
    for (const std::string& field : m_headerFields)
        m_sql += "[" + field + "] char(255), ";
    DropListComma(m_sql, !m_headerFields.empty());
    m_sql += ")";
    if (!Execute(m_sql))
        return FailCommit();
    if (!m_sheetExists) {
        m_columns = static_cast<std::int16_t>(m_headerFields.size());
        m_sheetExists = true;
    }

    for (int i = 1; i < m_totalRows; ++i) {
        if (!ReadRow(m_rowFields, i + 1)) {
            AbandonConnection();
            return false;
        }
        // The statement text is built in place, reusing its buffer.
        m_sql.assign("INSERT INTO [").append(m_sheetName).append("$A1:IV").append(std::to_string(i)).append("] (");
        const std::size_t named = std::min(m_rowFields.size(), m_headerFields.size());
        for (std::size_t j = 0; j < named; ++j)
            m_sql.append("[").append(m_headerFields[j]).append("], ");
        DropListComma(m_sql, named > 0);
        m_sql += ") VALUES (";
        for (const std::string& field : m_rowFields) {
            AppendSqlText(m_sql, field);
            m_sql += ", ";
        }
        DropListComma(m_sql, !m_rowFields.empty());
        m_sql += ")";
        if (!Execute(m_sql))
            return FailCommit();
    }

    if (m_holdConnection) {
        m_transaction = false;
        return true;
    }
    const bool written = m_database->Close();
    if (!written)
        m_lastError = m_database->Error();
    m_database.reset();
    if (!written)
        return false;
    m_transaction = false;
    return true;
}

bool CSheetFile::CommitText()
{
    std::string content;
    for (const std::string& row : m_rows) {
        content += row;
        content += "\r\n";
    }
    const std::string reason = ReplaceFileAtomically(m_filePath, {content});
    if (!reason.empty()) {
        m_lastError = kWriteError;
        m_lastErrorReason = reason;
        return false;
    }
    m_transaction = false;
    return true;
}
