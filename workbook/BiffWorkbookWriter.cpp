#include "workbook/BiffWorkbookWriter.h"

#include "workbook/BiffRecords.h"

#include <algorithm>
#include <functional>
#include <string_view>

namespace {

// Cell formats: the 15 style formats every workbook has, the default cell
// format (15) and one per kind of date cell.
constexpr unsigned kTextXf = 15;
constexpr unsigned kDateXf = 16;     // built-in number format 14, a date
constexpr unsigned kDateTimeXf = 17; // built-in number format 22, date and time
constexpr unsigned kTimeXf = 18;     // built-in number format 21, h:mm:ss

unsigned XfOf(WorkbookCell::Kind kind)
{
    switch (kind) {
    case WorkbookCell::Kind::Date:
        return kDateXf;
    case WorkbookCell::Kind::DateTime:
        return kDateTimeXf;
    case WorkbookCell::Kind::Time:
        return kTimeXf;
    default:
        return kTextXf;
    }
}

void AppendBof(CByteBuffer& out, unsigned type)
{
    const std::size_t at = out.Begin(Biff::kBof);
    out.U16(0x0600); // BIFF8
    out.U16(type);   // 0x0005 workbook globals, 0x0010 worksheet
    out.U16(0x0DBB); // build
    out.U16(0x07CC); // year
    out.U32(0);      // file history
    out.U32(0x06);   // lowest version that can read it
    out.End(at);
}

void AppendXf(CByteBuffer& out, unsigned format, bool style)
{
    const std::size_t at = out.Begin(Biff::kXf);
    out.U16(0);                         // font 0
    out.U16(format);                    // number format
    out.U16(style ? 0xFFF5 : 0x0001);   // locked; a style format has no parent
    out.U8(0x20);                       // general alignment, bottom
    out.U8(0);                          // no rotation
    out.U8(0);                          // no indent
    out.U8(style ? 0xF4 : (format != 0 ? 0x04 : 0x00)); // attributes this format sets
    out.U32(0);                         // no borders
    out.U32(0);
    out.U16(0x20C0);                    // no pattern, automatic colours
    out.End(at);
}

void AppendGlobalsHead(CByteBuffer& out)
{
    AppendBof(out, 0x0005);
    out.Record(Biff::kCodepage, std::string_view("\xB0\x04", 2)); // UTF-16
    out.Record(Biff::kDateMode, std::string_view("\x00\x00", 2)); // 1900 dates

    std::size_t at = out.Begin(Biff::kWindow1);
    out.U16(0);
    out.U16(0);
    out.U16(0x3A5C);
    out.U16(0x1E78);
    out.U16(0x0038); // horizontal and vertical scroll bars, sheet tabs
    out.U16(0);      // selected sheet
    out.U16(0);      // first sheet tab shown
    out.U16(1);      // one sheet selected
    out.U16(0x0258); // tab bar width ratio
    out.End(at);

    // Four fonts: the reference numbering skips index 4.
    for (int i = 0; i < 4; ++i) {
        at = out.Begin(Biff::kFont);
        out.U16(200);    // 10 points
        out.U16(0);      // plain
        out.U16(0x7FFF); // automatic colour
        out.U16(400);    // normal weight
        out.U16(0);
        out.U8(0);
        out.U8(0);
        out.U8(0);
        out.U8(0);
        AppendShortString(out, "Arial");
        out.End(at);
    }

    for (unsigned i = 0; i < 15; ++i)
        AppendXf(out, 0, true);
    AppendXf(out, 0, false);
    AppendXf(out, 14, false);
    AppendXf(out, 22, false);
    AppendXf(out, 21, false);

    at = out.Begin(Biff::kStyle);
    out.U16(0x8000); // built-in style on format 0
    out.U8(0);       // "Normal"
    out.U8(0xFF);
    out.End(at);
}

// Shared strings: each distinct text once, in order of first use. An open
// addressing table of indices keeps the lookup free of one allocation per
// text.
class CStringTable {
public:
    explicit CStringTable(std::size_t expected)
    {
        std::size_t size = 64;
        while (size < expected * 2)
            size *= 2;
        m_slots.assign(size, kEmpty);
        m_strings.reserve(expected);
    }

    std::uint32_t Index(std::string_view text)
    {
        ++m_references;
        std::size_t slot = std::hash<std::string_view>()(text) & (m_slots.size() - 1);
        while (m_slots[slot] != kEmpty) {
            if (m_strings[m_slots[slot]] == text)
                return m_slots[slot];
            slot = (slot + 1) & (m_slots.size() - 1);
        }
        const auto index = static_cast<std::uint32_t>(m_strings.size());
        m_slots[slot] = index;
        m_strings.push_back(text);
        if (m_strings.size() * 2 > m_slots.size())
            Grow();
        return index;
    }
    const std::vector<std::string_view>& Strings() const { return m_strings; }
    std::uint32_t References() const { return m_references; }

private:
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;

    void Grow()
    {
        std::vector<std::uint32_t> slots(m_slots.size() * 2, kEmpty);
        for (std::uint32_t index = 0; index < m_strings.size(); ++index) {
            std::size_t slot = std::hash<std::string_view>()(m_strings[index]) & (slots.size() - 1);
            while (slots[slot] != kEmpty)
                slot = (slot + 1) & (slots.size() - 1);
            slots[slot] = index;
        }
        m_slots.swap(slots);
    }

    std::vector<std::uint32_t> m_slots;
    std::vector<std::string_view> m_strings;
    std::uint32_t m_references = 0;
};

void AppendRow(CByteBuffer& out, std::size_t row, std::size_t columns)
{
    const std::size_t at = out.Begin(Biff::kRow);
    out.U16(static_cast<unsigned>(row));
    out.U16(0);
    out.U16(static_cast<unsigned>(columns));
    out.U16(0x00FF);     // default height
    out.U16(0);
    out.U16(0);
    out.U32(0x000F0100); // default format
    out.End(at);
}

std::string BuildSheet(const WorkbookSheet& sheet, bool selected, CStringTable& strings)
{
    CByteBuffer out;
    std::size_t cells = 0;
    for (const std::vector<WorkbookCell>& row : sheet.rows)
        cells += row.size();
    out.Reserve(256 + sheet.rows.size() * 20 + cells * 18);
    AppendBof(out, 0x0010);

    const std::size_t usedRows = static_cast<std::size_t>(sheet.UsedRows());
    const std::size_t usedColumns = static_cast<std::size_t>(sheet.UsedColumns());
    std::size_t at = out.Begin(Biff::kDimensions);
    out.U32(0);
    out.U32(static_cast<std::uint32_t>(usedRows));
    out.U16(0);
    out.U16(static_cast<unsigned>(usedColumns));
    out.U16(0);
    out.End(at);

    // Rows go in blocks of 32: the blocks' ROW records, then their cells.
    for (std::size_t block = 0; block < usedRows; block += 32) {
        const std::size_t end = std::min(usedRows, block + 32);
        for (std::size_t r = block; r < end; ++r)
            if (!sheet.rows[r].empty())
                AppendRow(out, r, sheet.rows[r].size());
        for (std::size_t r = block; r < end; ++r) {
            const std::vector<WorkbookCell>& cells = sheet.rows[r];
            for (std::size_t c = 0; c < cells.size(); ++c) {
                const WorkbookCell& cell = cells[c];
                if (cell.IsEmpty())
                    continue;
                if (cell.kind == WorkbookCell::Kind::Text) {
                    at = out.Begin(Biff::kLabelSst);
                    out.U16(static_cast<unsigned>(r));
                    out.U16(static_cast<unsigned>(c));
                    out.U16(kTextXf);
                    out.U32(strings.Index(cell.text));
                } else {
                    at = out.Begin(Biff::kNumber);
                    out.U16(static_cast<unsigned>(r));
                    out.U16(static_cast<unsigned>(c));
                    out.U16(XfOf(cell.kind));
                    out.F64(cell.number);
                }
                out.End(at);
            }
        }
    }

    at = out.Begin(Biff::kWindow2);
    out.U16(selected ? 0x06B6 : 0x00B6); // grid, headers, zeros, outline; selected and shown
    out.U16(0);
    out.U16(0);
    out.U16(0x40); // automatic grid colour
    out.U16(0);
    out.U16(0);
    out.U16(0);
    out.U16(0);
    out.U16(0);
    out.End(at);
    out.Record(Biff::kEof, {});
    return std::move(out.Bytes());
}

} // namespace

std::vector<std::string> BuildBiffWorkbookStream(const Workbook& workbook)
{
    // The sheets first, so the shared strings are known; then the globals,
    // whose sheet list points at the sheets that follow them.
    std::size_t cells = 0;
    for (const WorkbookSheet& sheet : workbook.sheets)
        for (const std::vector<WorkbookCell>& row : sheet.rows)
            cells += row.size();
    CStringTable strings(cells);
    std::vector<std::string> sheets;
    sheets.reserve(workbook.sheets.size());
    for (std::size_t i = 0; i < workbook.sheets.size(); ++i)
        sheets.push_back(BuildSheet(workbook.sheets[i], i == 0, strings));

    CByteBuffer globals;
    AppendGlobalsHead(globals);
    std::vector<std::size_t> positions;
    for (const WorkbookSheet& sheet : workbook.sheets) {
        const std::size_t at = globals.Begin(Biff::kBoundSheet);
        positions.push_back(globals.Size());
        globals.U32(0); // the sheet's offset, filled in below
        globals.U8(0);  // visible
        globals.U8(0);  // worksheet
        AppendShortString(globals, sheet.name);
        globals.End(at);
    }
    AppendSharedStrings(globals, strings.Strings(), strings.References());
    globals.Record(Biff::kEof, {});

    std::size_t offset = globals.Size();
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        globals.PatchU32(positions[i], static_cast<std::uint32_t>(offset));
        offset += sheets[i].size();
    }
    sheets.insert(sheets.begin(), std::move(globals.Bytes()));
    return sheets;
}
