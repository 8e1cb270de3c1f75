#include "workbook/BiffSheetWriter.h"

#include "workbook/BiffRecords.h"

#include <algorithm>
#include <deque>
#include <map>

namespace {

constexpr std::uint16_t kFormula = 0x0006;
constexpr std::uint16_t kBlank = 0x0201;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kMulBlank = 0x00BE;
constexpr std::uint16_t kRString = 0x00D6;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kShrFmla = 0x04BC;
constexpr std::uint16_t kArray = 0x0221;
constexpr std::uint16_t kTable = 0x0236;
constexpr std::uint16_t kDbCell = 0x00D7;
constexpr std::uint16_t kIndex = 0x020B;
// The default cell format every BIFF8 workbook has.
constexpr unsigned kDefaultXf = 15;

bool Refuse(std::string* error, const std::string& why)
{
    *error = why;
    return false;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string RecordBytes(std::uint16_t opcode, std::string_view data)
{
    CByteBuffer out;
    out.Record(opcode, data);
    return std::move(out.Bytes());
}

std::string CellName(unsigned row, unsigned column)
{
    std::string name;
    if (column >= 26)
        name += static_cast<char>('A' + column / 26 - 1);
    name += static_cast<char>('A' + column % 26);
    return name + std::to_string(row + 1);
}

std::uint32_t Key(unsigned row, unsigned column)
{
    return static_cast<std::uint32_t>(row) << 8 | (column & 0xFF);
}

bool InCellTable(std::uint16_t opcode)
{
    switch (opcode) {
    case Biff::kRow: case kDbCell: case kFormula: case kBlank: case kLabel: case kBoolErr: case kRk:
    case kMulRk: case kMulBlank: case kRString: case Biff::kLabelSst: case Biff::kNumber: case kString:
    case kShrFmla: case kArray: case kTable:
        return true;
    default:
        return false;
    }
}

// A cell as the sheet held it: its records (a formula with the records that
// follow it), its format and what it is.
struct OldCell {
    std::uint32_t key = 0;
    std::string_view records;
    unsigned xf = kDefaultXf;
    const char* special = nullptr; // "a formula", "a boolean", "an error value"; null for plain content
};

// The cells in row and column order (a later record for the same cell wins);
// MULRK and MULBLANK taken apart into one record per cell, kept in owned.
void CollectCells(std::string_view stream, const std::vector<BiffRecord>& records, std::vector<OldCell>& cells,
                  std::map<unsigned, std::string_view>& rows, std::deque<std::string>& owned)
{
    int depth = 0;
    OldCell* formula = nullptr;
    for (const BiffRecord& record : records) {
        if (record.opcode == Biff::kBof)
            ++depth;
        const bool own = depth == 1;
        if (record.opcode == Biff::kEof)
            --depth;
        if (!own)
            continue;
        const std::string_view data = record.data;
        const auto put = [&](std::string_view bytes, unsigned xf, const char* special) {
            cells.push_back({Key(BiffU16(bytes, 4), BiffU16(bytes, 6)), bytes, xf, special});
            return &cells.back();
        };
        switch (record.opcode) {
        case kFormula:
            formula = put(record.Bytes(stream), BiffU16(data, 4), "a formula");
            continue;
        case kString: case kShrFmla: case kArray: case kTable:
            // These follow their formula in the stream.
            if (formula && formula->records.data() + formula->records.size() == stream.data() + record.at) {
                formula->records = std::string_view(formula->records.data(), formula->records.size() + record.End() - record.at);
                continue;
            }
            break;
        case kBoolErr:
            put(record.Bytes(stream), BiffU16(data, 4), data.size() > 7 && data[7] ? "an error value" : "a boolean");
            break;
        case kBlank: case kLabel: case kRk: case kRString: case Biff::kLabelSst: case Biff::kNumber:
            put(record.Bytes(stream), BiffU16(data, 4), nullptr);
            break;
        case kMulRk:
        case kMulBlank: {
            const unsigned row = BiffU16(data, 0);
            const unsigned first = BiffU16(data, 2);
            const std::size_t width = record.opcode == kMulRk ? 6 : 2;
            const std::size_t count = data.size() >= 6 ? (data.size() - 6) / width : 0;
            for (std::size_t i = 0; i < count; ++i) {
                std::string single(4, '\0');
                BiffPutU16(single, 0, row);
                BiffPutU16(single, 2, first + static_cast<unsigned>(i));
                single += data.substr(4 + i * width, width);
                owned.push_back(RecordBytes(record.opcode == kMulRk ? kRk : kBlank, single));
                put(owned.back(), BiffU16(data, 4 + i * width), nullptr);
            }
            break;
        }
        case Biff::kRow:
            rows[BiffU16(data, 0)] = record.Bytes(stream);
            break;
        default:
            break;
        }
        formula = nullptr;
    }
    std::stable_sort(cells.begin(), cells.end(), [](const OldCell& a, const OldCell& b) { return a.key < b.key; });
    std::vector<OldCell> unique;
    unique.reserve(cells.size());
    for (const OldCell& cell : cells) {
        if (!unique.empty() && unique.back().key == cell.key)
            unique.back() = cell;
        else
            unique.push_back(cell);
    }
    cells.swap(unique);
}

std::string ValueRecord(unsigned row, unsigned column, unsigned xf, const WorkbookCell& cell, CBiffStrings& strings)
{
    CByteBuffer out;
    const std::size_t at = out.Begin(cell.kind == WorkbookCell::Kind::Text ? Biff::kLabelSst : Biff::kNumber);
    out.U16(row);
    out.U16(column);
    out.U16(xf);
    if (cell.kind == WorkbookCell::Kind::Text)
        out.U32(strings.Index(cell.text));
    else
        out.F64(cell.number);
    out.End(at);
    return std::move(out.Bytes());
}

std::string BlankRecord(unsigned row, unsigned column, unsigned xf)
{
    CByteBuffer out;
    const std::size_t at = out.Begin(kBlank);
    out.U16(row);
    out.U16(column);
    out.U16(xf);
    out.End(at);
    return std::move(out.Bytes());
}

// The DIMENSIONS record and the cell table: blocks of 32 rows, each its ROW
// records and then its cells.
using CellList = std::vector<std::pair<std::uint32_t, std::string_view>>;

std::string CellTable(const CellList& cells, const std::map<unsigned, std::string_view>& oldRows)
{
    // Each row's first column and last column + 1, in row order; rows that
    // only have an old ROW record (a height, a format) keep it.
    struct Span {
        unsigned row;
        unsigned first;
        unsigned end;
        std::string_view old; // the row's old ROW record, if any
    };
    std::vector<Span> withCells;
    withCells.reserve(cells.size() / 2 + 1);
    for (const auto& [key, bytes] : cells) {
        const unsigned row = key >> 8;
        if (withCells.empty() || withCells.back().row != row)
            withCells.push_back({row, key & 0xFF, (key & 0xFF) + 1, {}});
        else
            withCells.back().end = (key & 0xFF) + 1;
    }
    std::vector<Span> spans;
    spans.reserve(withCells.size() + oldRows.size());
    auto old = oldRows.begin();
    for (Span& span : withCells) {
        for (; old != oldRows.end() && old->first < span.row; ++old)
            spans.push_back({old->first, 0, 0, old->second});
        if (old != oldRows.end() && old->first == span.row)
            span.old = (old++)->second;
        spans.push_back(span);
    }
    for (; old != oldRows.end(); ++old)
        spans.push_back({old->first, 0, 0, old->second});

    CByteBuffer out;
    out.Reserve(cells.size() * 20 + spans.size() * 20 + 64);
    std::size_t at = out.Begin(Biff::kDimensions);
    unsigned firstColumn = 256;
    unsigned endColumn = 0;
    for (const auto& [key, bytes] : cells) {
        firstColumn = std::min(firstColumn, key & 0xFF);
        endColumn = std::max(endColumn, (key & 0xFF) + 1);
    }
    out.U32(cells.empty() ? 0 : cells.begin()->first >> 8);
    out.U32(cells.empty() ? 0 : (cells.rbegin()->first >> 8) + 1);
    out.U16(cells.empty() ? 0 : firstColumn);
    out.U16(endColumn);
    out.U16(0);
    out.End(at);

    auto cell = cells.begin();
    for (std::size_t row = 0; row < spans.size();) {
        const unsigned block = spans[row].row / 32;
        std::size_t blockEnd = row;
        for (; blockEnd < spans.size() && spans[blockEnd].row / 32 == block; ++blockEnd) {
            const Span& span = spans[blockEnd];
            if (!span.old.empty()) {
                const std::size_t rowAt = out.Size();
                out.Raw(span.old);
                if (span.end > span.first && span.old.size() >= 10) {
                    BiffPutU16(out.Bytes(), rowAt + 6, span.first);
                    BiffPutU16(out.Bytes(), rowAt + 8, span.end);
                }
            } else {
                at = out.Begin(Biff::kRow);
                out.U16(span.row);
                out.U16(span.first);
                out.U16(span.end);
                out.U16(0x00FF);
                out.U16(0);
                out.U16(0);
                out.U32(0x000F0100);
                out.End(at);
            }
        }
        for (; cell != cells.end() && (cell->first >> 8) / 32 == block; ++cell)
            out.Raw(cell->second);
        row = blockEnd;
    }
    return std::move(out.Bytes());
}

} // namespace

bool WriteBackSheet(std::string_view stream, const BiffOldSheet& old, const WorkbookSheet* loaded,
                    const WorkbookSheet& now, CBiffStrings& strings, std::string& out, std::string* error)
{
    if (old.type != 0 || BiffU16(old.records.front().data, 2) != 0x0010)
        return Refuse(error, "the sheet " + Quoted(old.name) + " is not a worksheet");
    std::vector<OldCell> oldCells;
    std::map<unsigned, std::string_view> oldRows;
    std::deque<std::string> owned;
    CollectCells(stream, old.records, oldCells, oldRows, owned);

    // Old and new cells merged in row and column order.
    CellList cells;
    cells.reserve(oldCells.size() + 64);
    auto oldCell = oldCells.begin();
    const auto addNew = [&](std::uint32_t key, std::string record) {
        owned.push_back(std::move(record));
        cells.emplace_back(key, owned.back());
    };
    const auto takeOld = [&]() -> bool {
        const OldCell& cell = *oldCell++;
        const int row = static_cast<int>(cell.key >> 8);
        const int column = static_cast<int>(cell.key & 0xFF);
        const WorkbookCell* next = now.Find(row, column);
        const WorkbookCell* before = loaded ? loaded->Find(row, column) : nullptr;
        const bool same = (next == nullptr || next->IsEmpty()) && (before == nullptr || before->IsEmpty())
                              ? true
                              : WorkbookCellText(next) == WorkbookCellText(before);
        if (same) {
            cells.emplace_back(cell.key, cell.records);
        } else if (cell.special) {
            return Refuse(error, "the sheet " + Quoted(old.name) + " would lose " + cell.special + " in cell " +
                                     CellName(static_cast<unsigned>(row), static_cast<unsigned>(column)));
        } else if (next && !next->IsEmpty()) {
            addNew(cell.key, ValueRecord(static_cast<unsigned>(row), static_cast<unsigned>(column), cell.xf, *next, strings));
        } else {
            addNew(cell.key, BlankRecord(static_cast<unsigned>(row), static_cast<unsigned>(column), cell.xf));
        }
        return true;
    };
    for (std::size_t r = 0; r < now.rows.size(); ++r) {
        for (std::size_t c = 0; c < now.rows[r].size(); ++c) {
            if (now.rows[r][c].IsEmpty())
                continue;
            const std::uint32_t key = Key(static_cast<unsigned>(r), static_cast<unsigned>(c));
            while (oldCell != oldCells.end() && oldCell->key < key)
                if (!takeOld())
                    return false;
            if (oldCell != oldCells.end() && oldCell->key == key) {
                if (!takeOld())
                    return false;
                continue;
            }
            addNew(key, ValueRecord(static_cast<unsigned>(r), static_cast<unsigned>(c), kDefaultXf, now.rows[r][c], strings));
        }
    }
    while (oldCell != oldCells.end())
        if (!takeOld())
            return false;

    // The sheet's own records in order, the new cell table where DIMENSIONS
    // stood; the old table and its INDEX are left out.
    out.clear();
    out.reserve(stream.size() / 2 + cells.size() * 20);
    int depth = 0;
    bool placed = false;
    for (const BiffRecord& record : old.records) {
        if (record.opcode == Biff::kBof)
            ++depth;
        const bool own = depth == 1;
        if (record.opcode == Biff::kEof)
            --depth;
        if (own && record.opcode == Biff::kDimensions) {
            out += CellTable(cells, oldRows);
            placed = true;
        } else if (!own || !(InCellTable(record.opcode) || record.opcode == kIndex)) {
            out += record.Bytes(stream);
        }
    }
    if (!placed)
        return Refuse(error, "the sheet " + Quoted(old.name) + " has no DIMENSIONS record");
    return true;
}

std::string NewBiffSheet(std::string_view globalsBof, const WorkbookSheet& sheet, CBiffStrings& strings)
{
    std::deque<std::string> owned;
    CellList cells;
    for (std::size_t r = 0; r < sheet.rows.size(); ++r)
        for (std::size_t c = 0; c < sheet.rows[r].size(); ++c)
            if (!sheet.rows[r][c].IsEmpty()) {
                owned.push_back(ValueRecord(static_cast<unsigned>(r), static_cast<unsigned>(c), kDefaultXf,
                                            sheet.rows[r][c], strings));
                cells.emplace_back(Key(static_cast<unsigned>(r), static_cast<unsigned>(c)), owned.back());
            }
    std::string bof(globalsBof);
    BiffPutU16(bof, 2, 0x0010);
    CByteBuffer out;
    out.Record(Biff::kBof, bof);
    out.Raw(CellTable(cells, {}));
    const std::size_t at = out.Begin(Biff::kWindow2);
    out.U16(0x00B6);
    for (int i = 0; i < 8; ++i)
        out.U16(i == 2 ? 0x40 : 0);
    out.End(at);
    out.Record(Biff::kEof, {});
    return std::move(out.Bytes());
}

// A kept sheet's substream, its INDEX record following it to where it now starts.
std::string KeptBiffSheet(std::string_view stream, const BiffOldSheet& old, std::int64_t shift)
{
    const std::size_t begin = old.records.front().at;
    std::string bytes(stream.substr(begin, old.records.back().End() - begin));
    for (const BiffRecord& record : old.records) {
        if (record.opcode != kIndex || record.data.size() < 16)
            continue;
        const std::size_t data = record.at - begin + 4;
        const auto move = [&](std::size_t at) {
            const std::uint32_t value = BiffU32(bytes, at);
            if (value != 0)
                BiffPutU32(bytes, at, static_cast<std::uint32_t>(static_cast<std::int64_t>(value) + shift));
        };
        move(data + 12);
        for (std::size_t at = data + 16; at + 4 <= data + record.data.size(); at += 4)
            move(at);
        break;
    }
    return bytes;
}

std::string BiffShortStringText(std::string_view data, std::size_t at)
{
    if (at + 2 > data.size())
        return {};
    const std::size_t count = static_cast<unsigned char>(data[at]);
    const bool wide = data[at + 1] & 1;
    std::u16string units;
    for (std::size_t i = 0; i < count && at + 2 + (i + 1) * (wide ? 2 : 1) <= data.size(); ++i)
        units += wide ? static_cast<char16_t>(BiffU16(data, at + 2 + 2 * i))
                      : static_cast<char16_t>(static_cast<unsigned char>(data[at + 2 + i]));
    return Utf16ToUtf8(units);
}


CBiffStrings::CBiffStrings(const std::vector<BiffSharedString>& old) : m_count(static_cast<std::uint32_t>(old.size()))
{
    m_index.reserve(old.size() * 2 + 64);
    for (std::size_t i = 0; i < old.size(); ++i)
        m_index.emplace(old[i].text, static_cast<std::uint32_t>(i));
}

std::uint32_t CBiffStrings::Index(const std::string& text)
{
    const auto [it, added] = m_index.emplace(text, m_count);
    if (added) {
        ++m_count;
        m_added.push_back(&it->first);
    }
    return it->second;
}
