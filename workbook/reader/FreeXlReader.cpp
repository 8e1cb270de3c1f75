#include "workbook/WorkbookReader.h"

#include <freexl.h>

#include <cstdio>

namespace {

// A FreeXL handle, closed however the reading ends.
class CFreeXlHandle {
public:
    CFreeXlHandle() = default;
    ~CFreeXlHandle()
    {
        if (m_handle)
            freexl_close(m_handle);
    }
    CFreeXlHandle(const CFreeXlHandle&) = delete;
    CFreeXlHandle& operator=(const CFreeXlHandle&) = delete;

    const void** Out() { return &m_handle; }
    const void* Get() const { return m_handle; }

private:
    const void* m_handle = nullptr;
};

std::string OpenProblem(int code)
{
    switch (code) {
    case FREEXL_FILE_NOT_FOUND:
        return "the file cannot be opened";
    case FREEXL_INSUFFICIENT_MEMORY:
        return "there is not enough memory to read it";
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE:
        return "it is not an .xls workbook";
    default:
        return "it is not an .xls workbook, or it is damaged";
    }
}

bool Fail(std::string* error, const std::string& path, const std::string& reason)
{
    *error = "The workbook \"" + path + "\" cannot be read: " + reason + ".";
    return false;
}

// Days from 1899-12-30 to the given date (proleptic Gregorian calendar).
long DaysFromCivil(long y, long m, long d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 25569; // 1970-01-01 is day 25569
}

// The checks on what every sheet spans, made on a quick first reading that
// holds no cells, so a file claiming sheets past the format's bounds is
// refused before FreeXL sets aside room for them.
bool CheckSize(const std::string& path, std::string* error)
{
    CFreeXlHandle info;
    const int opened = freexl_open_info(path.c_str(), info.Out());
    if (opened != FREEXL_OK)
        return Fail(error, path, OpenProblem(opened));
    unsigned int value = 0;
    if (freexl_get_info(info.Get(), FREEXL_BIFF_PASSWORD, &value) == FREEXL_OK && value == FREEXL_BIFF_OBFUSCATED)
        return Fail(error, path, "it is protected by a password");
    unsigned int sheetCount = 0;
    if (freexl_get_info(info.Get(), FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK)
        return Fail(error, path, "its list of sheets cannot be read");
    for (unsigned int index = 0; index < sheetCount && index < 0xFFFF; ++index) {
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(info.Get(), static_cast<unsigned short>(index)) != FREEXL_OK ||
            freexl_worksheet_dimensions(info.Get(), &rows, &columns) != FREEXL_OK)
            return Fail(error, path, "sheet " + std::to_string(index + 1) + " cannot be read");
        if (rows > static_cast<unsigned int>(kWorkbookMaxRows) || columns > kWorkbookMaxColumns)
            return Fail(error, path, "sheet " + std::to_string(index + 1) + " is larger than a workbook sheet can be");
    }
    return true;
}

} // namespace

bool DateTextToSerial(const std::string& text, double& serial)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) == 6) {
        serial = static_cast<double>(DaysFromCivil(y, mo, d)) + (h * 3600 + mi * 60 + s) / 86400.0;
        return true;
    }
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &y, &mo, &d, &tail) == 3) {
        serial = static_cast<double>(DaysFromCivil(y, mo, d));
        return true;
    }
    if (std::sscanf(text.c_str(), "%2d:%2d:%2d%c", &h, &mi, &s, &tail) == 3) {
        serial = (h * 3600 + mi * 60 + s) / 86400.0;
        return true;
    }
    return false;
}

bool LoadWorkbookInProcess(const std::string& path, Workbook& workbook, std::string* error)
{
    if (!CheckSize(path, error))
        return false;

    CFreeXlHandle xls;
    const int opened = freexl_open(path.c_str(), xls.Out());
    if (opened != FREEXL_OK)
        return Fail(error, path, OpenProblem(opened));
    unsigned int sheetCount = 0;
    if (freexl_get_info(xls.Get(), FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK)
        return Fail(error, path, "its list of sheets cannot be read");

    Workbook loaded;
    // What the workbook holds, not the area its sheets claim: cells with
    // content, and the room the rows they stand in take.
    unsigned long long cells = 0;
    unsigned long long slots = 0;
    std::size_t textBytes = 0;
    const auto tooMany = [&] {
        return Fail(error, path,
                    "it holds more cells than this program rewrites (at most " +
                        std::to_string(kWorkbookMaxLoadedCells) + ")");
    };
    for (unsigned int index = 0; index < sheetCount && index < 0xFFFF; ++index) {
        const auto sheetIndex = static_cast<unsigned short>(index);
        const char* name = nullptr;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_get_worksheet_name(xls.Get(), sheetIndex, &name) != FREEXL_OK || name == nullptr ||
            freexl_select_active_worksheet(xls.Get(), sheetIndex) != FREEXL_OK ||
            freexl_worksheet_dimensions(xls.Get(), &rows, &columns) != FREEXL_OK)
            return Fail(error, path, "sheet " + std::to_string(index + 1) + " cannot be read");
        // The first reading checked the sizes; a file changed since is still held to them.
        if (rows > static_cast<unsigned int>(kWorkbookMaxRows) || columns > kWorkbookMaxColumns)
            return Fail(error, path, "sheet " + std::to_string(index + 1) + " is larger than a workbook sheet can be");

        WorkbookSheet sheet;
        sheet.name = name;
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value{};
                if (freexl_get_cell_value(xls.Get(), r, c, &value) != FREEXL_OK)
                    return Fail(error, path, "a cell of the sheet \"" + sheet.name + "\" cannot be read");
                const int row = static_cast<int>(r);
                const int column = static_cast<int>(c);
                switch (value.type) {
                case FREEXL_CELL_INT:
                    sheet.At(row, column) = WorkbookCell::Number(value.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    sheet.At(row, column) = WorkbookCell::Number(value.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    if (value.value.text_value && *value.value.text_value) {
                        sheet.At(row, column) = WorkbookCell::Text(value.value.text_value);
                        // One long shared text may stand in many cells.
                        textBytes += sheet.At(row, column).text.size();
                        if (textBytes > kWorkbookMaxLoadedText)
                            return Fail(error, path, "it holds more text than this program rewrites");
                    }
                    break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME: {
                    const std::string text = value.value.text_value ? value.value.text_value : "";
                    double serial = 0.0;
                    const auto kind = value.type == FREEXL_CELL_DATE       ? WorkbookCell::Kind::Date
                                      : value.type == FREEXL_CELL_DATETIME ? WorkbookCell::Kind::DateTime
                                                                           : WorkbookCell::Kind::Time;
                    sheet.At(row, column) =
                        DateTextToSerial(text, serial) ? WorkbookCell::Number(serial, kind) : WorkbookCell::Text(text);
                    break;
                }
                default:
                    break;
                }
            }
        }
        sheet.Trim();
        for (const std::vector<WorkbookCell>& row : sheet.rows) {
            slots += row.size() + 1;
            for (const WorkbookCell& cell : row)
                cells += cell.IsEmpty() ? 0 : 1;
        }
        if (cells > kWorkbookMaxLoadedCells || slots > kWorkbookMaxLoadedSlots)
            return tooMany();
        loaded.sheets.push_back(std::move(sheet));
    }
    workbook = std::move(loaded);
    return true;
}
