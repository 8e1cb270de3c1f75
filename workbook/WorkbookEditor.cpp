#include "workbook/WorkbookEditor.h"

#include "workbook/BiffRecords.h"
#include "workbook/BiffSharedStrings.h"
#include "workbook/BiffStream.h"
#include "workbook/CompoundFileReader.h"

#include <algorithm>
#include <map>
#include <unordered_map>

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
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kSupBook = 0x01AE;
constexpr std::uint16_t kTabId = 0x013D;
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
// belong to it), its format and what it is.
struct OldCell {
    std::string records;
    unsigned xf = kDefaultXf;
    const char* special = nullptr; // "a formula", "a boolean", "an error value"; null for plain content
};

void CollectCells(std::string_view stream, const std::vector<BiffRecord>& records, std::map<std::uint32_t, OldCell>& cells,
                  std::map<unsigned, std::string>& rows)
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
        const auto put = [&](unsigned row, unsigned column, std::string bytes, unsigned xf, const char* special) {
            OldCell& cell = cells[Key(row, column)];
            cell.records = std::move(bytes);
            cell.xf = xf;
            cell.special = special;
            return &cell;
        };
        switch (record.opcode) {
        case kFormula:
            formula = put(BiffU16(data, 0), BiffU16(data, 2), std::string(record.Bytes(stream)), BiffU16(data, 4),
                          "a formula");
            continue;
        case kString: case kShrFmla: case kArray: case kTable:
            if (formula)
                formula->records += record.Bytes(stream);
            continue;
        case kBoolErr:
            put(BiffU16(data, 0), BiffU16(data, 2), std::string(record.Bytes(stream)), BiffU16(data, 4),
                data.size() > 7 && data[7] ? "an error value" : "a boolean");
            break;
        case kBlank: case kLabel: case kRk: case kRString: case Biff::kLabelSst: case Biff::kNumber:
            put(BiffU16(data, 0), BiffU16(data, 2), std::string(record.Bytes(stream)), BiffU16(data, 4), nullptr);
            break;
        case kMulRk:
        case kMulBlank: {
            // Taken apart into one RK or BLANK record per cell.
            const unsigned row = BiffU16(data, 0);
            const unsigned first = BiffU16(data, 2);
            const std::size_t width = record.opcode == kMulRk ? 6 : 2;
            const std::size_t count = data.size() >= 6 ? (data.size() - 6) / width : 0;
            for (std::size_t i = 0; i < count; ++i) {
                const unsigned column = first + static_cast<unsigned>(i);
                std::string single(4, '\0');
                BiffPutU16(single, 0, row);
                BiffPutU16(single, 2, column);
                single += data.substr(4 + i * width, width);
                put(row, column, RecordBytes(record.opcode == kMulRk ? kRk : kBlank, single),
                    BiffU16(data, 4 + i * width), nullptr);
            }
            break;
        }
        case Biff::kRow:
            rows[BiffU16(data, 0)] = std::string(record.Bytes(stream));
            break;
        default:
            break;
        }
        formula = nullptr;
    }
}

// Shared strings: the table's own strings keep their indices; new ones go
// after them.
class CStrings {
public:
    explicit CStrings(const std::vector<BiffSharedString>& old) : m_count(static_cast<std::uint32_t>(old.size()))
    {
        for (std::size_t i = 0; i < old.size(); ++i)
            m_index.emplace(old[i].text, static_cast<std::uint32_t>(i));
    }
    std::uint32_t Index(const std::string& text)
    {
        const auto [it, added] = m_index.emplace(text, m_count);
        if (added) {
            ++m_count;
            m_added.push_back(&it->first);
        }
        return it->second;
    }
    std::uint32_t Count() const { return m_count; }
    const std::vector<const std::string*>& Added() const { return m_added; }

private:
    std::unordered_map<std::string, std::uint32_t> m_index;
    std::vector<const std::string*> m_added;
    std::uint32_t m_count;
};

std::string ValueRecord(unsigned row, unsigned column, unsigned xf, const WorkbookCell& cell, CStrings& strings)
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
std::string CellTable(const std::map<std::uint32_t, std::string>& cells, const std::map<unsigned, std::string>& oldRows)
{
    std::map<unsigned, std::pair<unsigned, unsigned>> spans; // row -> first column, last column + 1
    for (const auto& [key, bytes] : cells) {
        auto [it, added] = spans.emplace(key >> 8, std::make_pair(key & 0xFF, (key & 0xFF) + 1));
        if (!added)
            it->second.second = (key & 0xFF) + 1;
    }
    for (const auto& [row, bytes] : oldRows)
        spans.emplace(row, std::make_pair(0u, 0u));

    CByteBuffer out;
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
    for (auto row = spans.begin(); row != spans.end();) {
        const unsigned block = row->first / 32;
        auto blockEnd = row;
        for (; blockEnd != spans.end() && blockEnd->first / 32 == block; ++blockEnd) {
            const auto old = oldRows.find(blockEnd->first);
            const auto [first, end] = blockEnd->second;
            if (old != oldRows.end()) {
                std::string bytes = old->second;
                if (end > first && bytes.size() >= 10) {
                    BiffPutU16(bytes, 6, first);
                    BiffPutU16(bytes, 8, end);
                }
                out.Raw(bytes);
            } else {
                at = out.Begin(Biff::kRow);
                out.U16(blockEnd->first);
                out.U16(first);
                out.U16(end);
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

struct OldSheet {
    std::string name;
    std::uint8_t type = 0; // 0 worksheet
    std::size_t offset = 0;
    std::vector<BiffRecord> records;
};

bool WriteBackSheet(std::string_view stream, const OldSheet& old, const WorkbookSheet* loaded, const WorkbookSheet& now,
                    CStrings& strings, std::string& out, std::string* error)
{
    if (old.type != 0 || BiffU16(old.records.front().data, 2) != 0x0010)
        return Refuse(error, "the sheet " + Quoted(old.name) + " is not a worksheet");
    std::map<std::uint32_t, OldCell> oldCells;
    std::map<unsigned, std::string> oldRows;
    CollectCells(stream, old.records, oldCells, oldRows);

    std::map<std::uint32_t, std::string> cells;
    for (auto& [key, cell] : oldCells) {
        const int row = static_cast<int>(key >> 8);
        const int column = static_cast<int>(key & 0xFF);
        const WorkbookCell* next = now.Find(row, column);
        if (WorkbookCellText(next) == WorkbookCellText(loaded ? loaded->Find(row, column) : nullptr)) {
            cells.emplace(key, std::move(cell.records));
        } else if (cell.special) {
            return Refuse(error, "the sheet " + Quoted(old.name) + " would lose " + cell.special + " in cell " +
                                     CellName(static_cast<unsigned>(row), static_cast<unsigned>(column)));
        } else if (next && !next->IsEmpty()) {
            cells.emplace(key, ValueRecord(static_cast<unsigned>(row), static_cast<unsigned>(column), cell.xf, *next,
                                           strings));
        } else {
            cells.emplace(key, BlankRecord(static_cast<unsigned>(row), static_cast<unsigned>(column), cell.xf));
        }
    }
    for (std::size_t r = 0; r < now.rows.size(); ++r)
        for (std::size_t c = 0; c < now.rows[r].size(); ++c)
            if (!now.rows[r][c].IsEmpty() && !oldCells.count(Key(static_cast<unsigned>(r), static_cast<unsigned>(c))))
                cells.emplace(Key(static_cast<unsigned>(r), static_cast<unsigned>(c)),
                              ValueRecord(static_cast<unsigned>(r), static_cast<unsigned>(c), kDefaultXf, now.rows[r][c],
                                          strings));

    // The sheet's own records in order, the new cell table where DIMENSIONS
    // stood; the old table and its INDEX are left out.
    out.clear();
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

std::string NewSheet(std::string_view globalsBof, const WorkbookSheet& sheet, CStrings& strings)
{
    std::map<std::uint32_t, std::string> cells;
    for (std::size_t r = 0; r < sheet.rows.size(); ++r)
        for (std::size_t c = 0; c < sheet.rows[r].size(); ++c)
            if (!sheet.rows[r][c].IsEmpty())
                cells.emplace(Key(static_cast<unsigned>(r), static_cast<unsigned>(c)),
                              ValueRecord(static_cast<unsigned>(r), static_cast<unsigned>(c), kDefaultXf,
                                          sheet.rows[r][c], strings));
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
std::string KeptSheet(std::string_view stream, const OldSheet& old, std::int64_t shift)
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

std::string ShortStringText(std::string_view data, std::size_t at)
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

} // namespace

namespace {

struct Bucket {
    std::uint32_t streamPos;
    std::uint16_t recordPos;
};

// New strings after the table's last record, in CONTINUE records of their
// own; every perBucket-th string (counting from index first) is noted for EXTSST.
void AppendStrings(CByteBuffer& out, const std::vector<const std::string*>& strings, std::size_t first,
                   std::size_t perBucket, std::vector<Bucket>& buckets)
{
    if (strings.empty())
        return;
    std::size_t record = out.Begin(Biff::kContinue);
    const auto room = [&] { return Biff::kMaxRecordData - (out.Size() - record); };
    const auto nextRecord = [&] {
        out.End(record);
        record = out.Begin(Biff::kContinue);
    };
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const BiffString text(*strings[i]);
        const std::size_t length = std::min(text.units.size(), std::size_t{0xFFFF});
        if (room() < 3 + text.CharBytes())
            nextRecord();
        if ((first + i) % perBucket == 0)
            buckets.push_back({static_cast<std::uint32_t>(out.Size()), static_cast<std::uint16_t>(out.Size() - record + 4)});
        out.U16(static_cast<unsigned>(length));
        out.U8(text.wide ? 1 : 0);
        for (std::size_t written = 0; written < length;) {
            std::size_t fits = room() / text.CharBytes();
            if (fits == 0) {
                nextRecord();
                out.U8(text.wide ? 1 : 0);
                fits = room() / text.CharBytes();
            }
            const std::size_t count = std::min(fits, length - written);
            text.AppendChars(out, written, count);
            written += count;
        }
    }
    out.End(record);
}

void AppendExtSst(CByteBuffer& out, std::size_t perBucket, const std::vector<Bucket>& buckets)
{
    const std::size_t at = out.Begin(Biff::kExtSst);
    out.U16(static_cast<unsigned>(perBucket));
    for (const Bucket& bucket : buckets) {
        out.U32(bucket.streamPos);
        out.U16(bucket.recordPos);
        out.U16(0);
    }
    out.End(at);
}

std::size_t CountSharedReferences(std::string_view bytes)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at + 4 <= bytes.size(); at += 4 + BiffU16(bytes, at + 2))
        count += BiffU16(bytes, at) == Biff::kLabelSst;
    return count;
}

} // namespace

bool EditWorkbookFile(const std::string& file, const Workbook& original, const Workbook& edited,
                      const std::set<std::string>& written, std::string& out, std::string* error)
{
    CCompoundFileReader compound;
    std::string problem;
    if (!compound.Open(file, &problem))
        return Refuse(error, problem);
    const int workbookEntry = compound.FindRootStream(u"Workbook");
    if (workbookEntry < 0)
        return Refuse(error, compound.FindRootStream(u"Book") >= 0
                                 ? "it is in an Excel 5 format, which this program does not rewrite"
                                 : "it holds no workbook stream");
    std::vector<std::string> contents(compound.Entries().size());
    for (std::size_t i = 0; i < contents.size(); ++i)
        if (compound.Entries()[i].type == CompoundEntry::Stream && !compound.ReadStream(i, contents[i], &problem))
            return Refuse(error, problem);
    const std::string stream = std::move(contents[static_cast<std::size_t>(workbookEntry)]);

    std::vector<BiffRecord> globals;
    if (!ReadBiffSubstream(stream, 0, globals) || BiffU16(globals.front().data, 0) != 0x0600)
        return Refuse(error, "it is not in the Excel 97-2003 format (BIFF8)");
    std::vector<OldSheet> sheets;
    std::size_t sst = globals.size();
    std::size_t sstEnd = globals.size();
    std::size_t extSst = globals.size();
    std::size_t lastBoundSheet = globals.size();
    for (std::size_t i = 0; i < globals.size(); ++i) {
        const BiffRecord& record = globals[i];
        if (record.opcode == kFilePass)
            return Refuse(error, "it is protected by a password");
        if (record.opcode == Biff::kBoundSheet) {
            OldSheet sheet;
            sheet.offset = BiffU32(record.data, 0);
            sheet.type = record.data.size() > 5 ? static_cast<std::uint8_t>(record.data[5]) : 0;
            sheet.name = ShortStringText(record.data, 6);
            if (!ReadBiffSubstream(stream, sheet.offset, sheet.records))
                return Refuse(error, "the sheet " + Quoted(sheet.name) + " is damaged");
            sheets.push_back(std::move(sheet));
            lastBoundSheet = i;
        } else if (record.opcode == Biff::kSst && sst == globals.size()) {
            sst = i;
            for (sstEnd = i + 1; sstEnd < globals.size() && globals[sstEnd].opcode == Biff::kContinue; ++sstEnd) {
            }
        } else if (record.opcode == Biff::kExtSst) {
            extSst = i;
        }
    }
    if (lastBoundSheet == globals.size())
        return Refuse(error, "it has no list of sheets");

    std::vector<BiffSharedString> oldStrings;
    if (sst < globals.size()) {
        std::vector<std::string_view> records;
        for (std::size_t i = sst; i < sstEnd; ++i)
            records.push_back(globals[i].data);
        if (!ReadBiffSharedStrings(records, oldStrings))
            return Refuse(error, "its shared-string table is damaged");
    }
    CStrings strings(oldStrings);

    // The sheets' substreams: kept, written back, or new.
    const auto isWritten = [&](const std::string& name) {
        return std::any_of(written.begin(), written.end(), [&](const std::string& w) { return SameSheetName(w, name); });
    };
    std::vector<std::string> bodies(sheets.size());
    std::vector<bool> kept(sheets.size(), true);
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const WorkbookSheet* now = edited.FindSheet(sheets[i].name);
        if (now == nullptr || !isWritten(sheets[i].name))
            continue;
        kept[i] = false;
        if (!WriteBackSheet(stream, sheets[i], original.FindSheet(sheets[i].name), *now, strings, bodies[i], error))
            return false;
    }
    std::vector<const WorkbookSheet*> added;
    for (const WorkbookSheet& sheet : edited.sheets)
        if (std::none_of(sheets.begin(), sheets.end(), [&](const OldSheet& s) { return SameSheetName(s.name, sheet.name); }))
            added.push_back(&sheet);
    std::vector<std::string> addedBodies;
    for (const WorkbookSheet* sheet : added)
        addedBodies.push_back(NewSheet(globals.front().data, *sheet, strings));

    std::size_t references = 0;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (kept[i]) {
            const std::size_t begin = sheets[i].records.front().at;
            references += CountSharedReferences(std::string_view(stream).substr(begin, sheets[i].records.back().End() - begin));
        } else {
            references += CountSharedReferences(bodies[i]);
        }
    }
    for (const std::string& body : addedBodies)
        references += CountSharedReferences(body);

    // The globals: their records as they were, but for the sheet list, the
    // shared strings and the few counts of sheets.
    const std::size_t sheetCount = sheets.size() + added.size();
    const std::size_t perBucket = std::max<std::size_t>(8, (strings.Count() + 127) / 128);
    std::vector<Bucket> buckets;
    std::vector<std::size_t> offsetFields;
    CByteBuffer head;
    head.Reserve(stream.size() / 4 + 4096);
    const auto appendNewTable = [&] {
        CByteBuffer table;
        std::vector<std::string_view> texts;
        for (const std::string* text : strings.Added())
            texts.push_back(*text);
        const std::size_t base = head.Size();
        AppendSharedStrings(table, texts, static_cast<std::uint32_t>(references));
        // AppendSharedStrings counts positions from its own start.
        std::string bytes = std::move(table.Bytes());
        const std::size_t ext = bytes.rfind(std::string("\xFF\x00", 2));
        (void)ext;
        CByteBuffer fixed;
        head.Raw(bytes);
        // Patch the EXTSST stream positions by where the table now stands.
        std::vector<BiffRecord> records;
        for (std::size_t at = base; at + 4 <= head.Size(); at += 4 + BiffU16(head.Bytes(), at + 2)) {
            if (BiffU16(head.Bytes(), at) == Biff::kExtSst) {
                const std::size_t length = BiffU16(head.Bytes(), at + 2);
                for (std::size_t b = at + 6; b + 8 <= at + 4 + length; b += 8)
                    head.PatchU32(b, BiffU32(head.Bytes(), b) + static_cast<std::uint32_t>(base));
            }
        }
    };
    for (std::size_t i = 0; i < globals.size(); ++i) {
        const BiffRecord& record = globals[i];
        if (i > sst && i < sstEnd)
            continue;
        if (record.opcode == Biff::kBoundSheet) {
            offsetFields.push_back(head.Size() + 4);
            head.Raw(record.Bytes(stream));
            if (i == lastBoundSheet) {
                for (const WorkbookSheet* sheet : added) {
                    const std::size_t at = head.Begin(Biff::kBoundSheet);
                    offsetFields.push_back(head.Size());
                    head.U32(0);
                    head.U8(0);
                    head.U8(0);
                    AppendShortString(head, sheet->name);
                    head.End(at);
                }
            }
        } else if (i == sst) {
            std::vector<std::size_t> starts;
            for (std::size_t r = sst; r < sstEnd; ++r) {
                starts.push_back(head.Size());
                std::string bytes(globals[r].Bytes(stream));
                if (r == sst) {
                    BiffPutU32(bytes, 4, static_cast<std::uint32_t>(references));
                    BiffPutU32(bytes, 8, strings.Count());
                }
                head.Raw(bytes);
            }
            for (std::size_t s = 0; s < oldStrings.size(); s += perBucket)
                buckets.push_back({static_cast<std::uint32_t>(starts[oldStrings[s].record] + 4 + oldStrings[s].offset),
                                   static_cast<std::uint16_t>(4 + oldStrings[s].offset)});
            AppendStrings(head, strings.Added(), oldStrings.size(), perBucket, buckets);
            if (extSst == globals.size())
                AppendExtSst(head, perBucket, buckets);
        } else if (i == extSst && sst < globals.size()) {
            AppendExtSst(head, perBucket, buckets);
        } else if (i == extSst) {
            continue;
        } else if (i + 1 == globals.size() && sst == globals.size() && !strings.Added().empty()) {
            appendNewTable();
            head.Raw(record.Bytes(stream));
        } else if (record.opcode == kSupBook && record.data.size() >= 4 && BiffU16(record.data, 2) == 0x0401) {
            std::string bytes(record.Bytes(stream));
            BiffPutU16(bytes, 4, static_cast<unsigned>(sheetCount));
            head.Raw(bytes);
        } else if (record.opcode == kTabId && !added.empty()) {
            std::string bytes(record.Bytes(stream));
            unsigned next = 0;
            for (std::size_t at = 0; at + 2 <= record.data.size(); at += 2)
                next = std::max<unsigned>(next, BiffU16(record.data, at));
            for (std::size_t a = 0; a < added.size(); ++a) {
                bytes += static_cast<char>((next + 1 + a) & 0xFF);
                bytes += static_cast<char>(((next + 1 + a) >> 8) & 0xFF);
            }
            BiffPutU16(bytes, 2, static_cast<unsigned>(bytes.size() - 4));
            head.Raw(bytes);
        } else {
            head.Raw(record.Bytes(stream));
        }
    }

    // The sheets follow the globals in the order of the sheet list.
    std::string result = std::move(head.Bytes());
    std::size_t field = 0;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const std::size_t at = result.size();
        BiffPutU32(result, offsetFields[field++], static_cast<std::uint32_t>(at));
        if (kept[i])
            result += KeptSheet(stream, sheets[i], static_cast<std::int64_t>(at) - static_cast<std::int64_t>(sheets[i].offset));
        else
            result += bodies[i];
    }
    for (const std::string& body : addedBodies) {
        BiffPutU32(result, offsetFields[field++], static_cast<std::uint32_t>(result.size()));
        result += body;
    }
    contents[static_cast<std::size_t>(workbookEntry)] = std::move(result);
    out = BuildCompoundFileFrom(compound.Entries(), contents);
    return true;
}
