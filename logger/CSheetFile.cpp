#include "logger/CSheetFile.h"

#include "workbook/WorkbookDriver.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr const char* kDuplicateHeader = "Duplicate header row field:%s\n";
constexpr const char* kFewerHeaders =
    "Number of columns in new header row cannot be less than the number of columns in previous header row";
constexpr const char* kTooManyFields = "Number of columns to be added cannot be greater than the number of fields\n";
constexpr const char* kNoHeaderRow = "No header row. Add header row first\n";
constexpr const char* kHeadersProblem = "Problems with adding headers\n";
constexpr const char* kRowBeyondTotal = "Desired row is greater than total number of rows in spreadsheet\n";
// Refusals of our own, for row numbers and sizes no sheet can have.
constexpr const char* kNegativeRow = "Row numbers start at 1\n";
constexpr const char* kRowBeyondSheet = "A sheet holds at most 65536 rows\n";
constexpr const char* kColumnsBeyondSheet = "A sheet holds at most 256 columns\n";

constexpr int kMaxRows = 65536;
constexpr std::size_t kMaxColumns = 256;

std::string DuplicateText(const std::string& field)
{
    std::string text = kDuplicateHeader;
    text.replace(text.find("%s"), 2, field);
    return text;
}

// The first field that occurs twice, or null.
const std::string* FirstDuplicate(const std::vector<std::string>& fields)
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        for (std::size_t j = i + 1; j < fields.size(); ++j)
            if (fields[i] == fields[j])
                return &fields[i];
    return nullptr;
}

std::int16_t ClampColumns(std::size_t count)
{
    return static_cast<std::int16_t>(std::min<std::size_t>(count, std::numeric_limits<std::int16_t>::max()));
}

} // namespace

void SplitDelimitedLine(const std::string& line, const std::string& separator, std::vector<std::string>& fields)
{
    const auto separatorAt = [&](std::size_t at) {
        return !separator.empty() && line.compare(at, separator.size(), separator) == 0;
    };
    std::size_t at = 0;
    for (;;) {
        std::string field;
        if (at < line.size() && line[at] == '"') {
            // A quoted field runs to the quote not followed by another; what
            // stands between that quote and the next separator is kept too.
            for (++at; at < line.size(); ++at) {
                if (line[at] == '"') {
                    if (at + 1 < line.size() && line[at + 1] == '"') {
                        field += '"';
                        ++at;
                        continue;
                    }
                    ++at;
                    break;
                }
                field += line[at];
            }
        }
        while (at < line.size() && !separatorAt(at))
            field += line[at++];
        fields.push_back(std::move(field));
        if (at >= line.size())
            return;
        at += separator.size();
    }
}

std::string ConnectionNameProblem(const std::string& connectionString, const std::string& path)
{
    const auto attributes = ParseConnectionString(connectionString);
    const auto value = [&](const char* key) {
        const auto it = attributes.find(key);
        return it == attributes.end() ? std::string() : it->second;
    };
    if (value("DBQ") == path && value("CREATE_DB") == path)
        return {};
    // Name the piece the driver would take for a setting of its own.
    std::string piece;
    for (std::size_t semi = path.find(';'); semi != std::string::npos && piece.empty(); semi = path.find(';', semi + 1))
        if (const std::size_t equals = path.find('=', semi); equals != std::string::npos)
            piece = path.substr(semi, equals - semi + 1);
    return "The file name \"" + path + "\" cannot be used for a workbook: " +
           (piece.empty() ? std::string("the workbook driver would read part of it as a setting")
                          : "the workbook driver would read \"" + piece + "\" as a setting of its own") +
           ". Choose a name without it.\n";
}

bool CSheetFileIsWorkbook(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string tail = path.substr(path.size() - 4);
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return tail == ".xls";
}

CSheetFile::CSheetFile(const std::string& path, const std::string& sheetOrSeparator, bool backup,
                       CWorkbookDriver* driver)
    : m_backup(backup)
    , m_filePath(path)
{
    m_workbookMode = CSheetFileIsWorkbook(path);
    if (m_workbookMode) {
        m_sheetName = sheetOrSeparator;
        m_separator = kWorkbookSeparator;
        if (driver == nullptr) {
            m_ownDriver = std::make_unique<CWorkbookDriver>();
            driver = m_ownDriver.get();
        }
        m_driver = driver;
        m_driverName = FindExcelDriver();
        m_connectionString = "DRIVER={" + m_driverName + "};DSN='';FIRSTROWHASNAMES=1;READONLY=FALSE;CREATE_DB=\"" +
                             m_filePath + "\";DBQ=" + m_filePath;
        m_nameProblem = ConnectionNameProblem(m_connectionString, m_filePath);
    } else {
        m_separator = sheetOrSeparator;
    }

    if (!Open() || !m_backup || !m_sheetExists)
        return;
    if (m_workbookMode) {
        // The content found is written to a sheet of its own first.
        const std::string sheet = m_sheetName;
        m_sheetName = kBackupSheet;
        m_sheetExists = false;
        m_holdConnection = true;
        if (!Commit())
            m_backup = false;
        m_holdConnection = false;
        m_sheetExists = true;
        m_sheetName = sheet;
        m_currentRow = 1;
    } else {
        const std::string path = m_filePath;
        m_filePath = path + ".bak";
        if (!Commit())
            m_backup = false;
        m_filePath = path;
    }
}

CSheetFile::~CSheetFile()
{
    // A connection still open holds a backup no Commit completed: the file
    // stays as it was.
    AbandonConnection();
}

void CSheetFile::AbandonConnection()
{
    if (m_database)
        m_database->Abandon();
    m_database.reset();
}

std::string CSheetFile::FindExcelDriver() const
{
    char buffer[2000];
    if (!CWorkbookDriver::GetInstalledDrivers(buffer, sizeof buffer))
        return {};
    for (std::size_t at = 0; at < sizeof buffer && buffer[at] != '\0';) {
        const std::size_t length = strnlen(buffer + at, sizeof buffer - at);
        const std::string name(buffer + at, length);
        if (name.find("Excel") != std::string::npos)
            return name;
        at += length + 1;
    }
    return {};
}

void CSheetFile::BeginTransaction()
{
    m_transaction = true;
}

bool CSheetFile::AddHeaders(const std::vector<std::string>& fields, bool replace)
{
    if (!m_sheetExists) {
        m_columns = ClampColumns(fields.size());
        if (!AddRow(fields, 1, true))
            return false;
        // A new sheet holds the header row alone.
        m_totalRows = static_cast<int>(m_rows.size());
        return true;
    }
    if (replace)
        return AddRow(fields, 1, true);

    if (!ReadRow(m_rowFields, 1)) {
        m_lastError = kHeadersProblem;
        return false;
    }
    if (m_workbookMode) {
        for (const std::string& field : fields) {
            if (std::find(m_rowFields.begin(), m_rowFields.end(), field) != m_rowFields.end()) {
                m_lastError = DuplicateText(field);
                return false;
            }
        }
    }
    std::vector<std::string> combined = m_rowFields;
    combined.insert(combined.end(), fields.begin(), fields.end());
    if (!AddRow(combined, 1, true)) {
        m_lastError = kHeadersProblem;
        return false;
    }
    m_columns = std::max(m_columns, ClampColumns(combined.size()));
    return true;
}

bool CSheetFile::AddRow(const std::vector<std::string>& fields, int row, bool replace)
{
    if (row < 0) {
        m_lastError = kNegativeRow;
        return false;
    }
    if (row > kMaxRows) {
        m_lastError = kRowBeyondSheet;
        return false;
    }
    if (row == 1) {
        if (m_workbookMode) {
            if (const std::string* duplicate = FirstDuplicate(fields)) {
                m_lastError = DuplicateText(*duplicate);
                return false;
            }
            if (fields.size() < static_cast<std::size_t>(m_columns)) {
                m_lastError = kFewerHeaders;
                return false;
            }
            if (fields.size() > kMaxColumns) {
                m_lastError = kColumnsBeyondSheet;
                return false;
            }
            m_columns = ClampColumns(fields.size());
        }
        m_headerFields = fields;
    } else if (m_workbookMode) {
        if (m_columns == 0) {
            m_lastError = kNoHeaderRow;
            return false;
        }
        if (fields.size() > m_headerFields.size()) {
            m_lastError = kTooManyFields;
            return false;
        }
    } else {
        m_columns = std::max(m_columns, ClampColumns(fields.size()));
    }
    // A workbook's sheet cannot grow past the format's last row.
    const bool grows = row == 0 || !replace || row > m_totalRows;
    if (m_workbookMode && grows && std::max(m_totalRows + 1, row) > kMaxRows) {
        m_lastError = kRowBeyondSheet;
        return false;
    }

    // The row text moves into the rows; it is not needed afterwards.
    m_rowText = JoinRow(fields);
    if (row != 0 && row <= m_totalRows) {
        if (replace) {
            m_rows[static_cast<std::size_t>(row - 1)] = std::move(m_rowText);
        } else {
            m_rows.insert(m_rows.begin() + (row - 1), std::move(m_rowText));
            ++m_totalRows;
        }
    } else if (row != 0) {
        m_currentRow = m_totalRows;
        while (m_rows.size() + 1 < static_cast<std::size_t>(row))
            m_rows.push_back(FillerRow());
        m_rows.push_back(std::move(m_rowText));
        m_totalRows = row;
    } else {
        m_rows.push_back(std::move(m_rowText));
        ++m_totalRows;
    }
    if (m_transaction)
        return true;
    return Commit();
}

bool CSheetFile::ReadRow(std::vector<std::string>& fields, int row)
{
    if (row < 0) {
        m_lastError = kNegativeRow;
        return false;
    }
    if (row > m_totalRows) {
        m_lastError = kRowBeyondTotal;
        return false;
    }
    if (row != 0)
        m_currentRow = row;
    else if (m_currentRow > m_totalRows)
        return false;
    // Appending past the end leaves the current row at the old total, which
    // is 0 for an empty sheet: reading on starts at the first row.
    if (m_currentRow < 1)
        m_currentRow = 1;
    if (m_currentRow > static_cast<int>(m_rows.size()))
        return false;
    fields.clear();
    const std::string& text = m_rows[static_cast<std::size_t>(m_currentRow - 1)];
    ++m_currentRow;
    SplitRow(text, fields);
    return true;
}

std::string CSheetFile::JoinRow(const std::vector<std::string>& fields) const
{
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        text += '"';
        if (m_workbookMode || fields[i].find('"') == std::string::npos) {
            text += fields[i];
        } else {
            for (char c : fields[i]) {
                if (c == '"')
                    text += '"';
                text += c;
            }
        }
        text += '"';
        if (i + 1 < fields.size())
            text += m_separator;
    }
    return text;
}

std::string CSheetFile::FillerRow() const
{
    const std::string cell = m_workbookMode ? "\" \"" : "\"\"";
    std::string text;
    for (int i = 0; i < m_columns; ++i) {
        text += cell;
        if (i + 1 < m_columns)
            text += m_separator;
    }
    return text;
}

void CSheetFile::SplitRow(const std::string& row, std::vector<std::string>& fields) const
{
    if (!m_workbookMode) {
        SplitDelimitedLine(row, m_separator, fields);
        return;
    }
    const std::string quoted = "\"" + m_separator + "\"";
    if (row.find(quoted) != std::string::npos) {
        std::size_t at = 0;
        for (std::size_t next; (next = row.find(quoted, at)) != std::string::npos; at = next + quoted.size())
            fields.push_back(row.substr(at, next - at));
        fields.push_back(row.substr(at));
        if (!fields.front().empty() && fields.front().front() == '"')
            fields.front().erase(0, 1);
        if (!fields.back().empty() && fields.back().back() == '"')
            fields.back().pop_back();
    } else if (!m_separator.empty() && row.find(m_separator) != std::string::npos) {
        std::size_t at = 0;
        for (std::size_t next; (next = row.find(m_separator, at)) != std::string::npos; at = next + m_separator.size())
            fields.push_back(row.substr(at, next - at));
        fields.push_back(row.substr(at));
    } else if (row.size() >= 2 && row.front() == '"' && row.back() == '"') {
        fields.push_back(row.substr(1, row.size() - 2));
    } else {
        fields.push_back(row);
    }
}
