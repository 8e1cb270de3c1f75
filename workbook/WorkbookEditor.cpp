
#include "workbook/WorkbookEditor.h"

#include "workbook/BiffRecords.h"
#include "workbook/BiffSheetWriter.h"
#include "workbook/CompoundFileReader.h"

#include <algorithm>

namespace {

constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kSupBook = 0x01AE;
constexpr std::uint16_t kTabId = 0x013D;

bool Refuse(std::string* error, const std::string& why)
{
    *error = why;
    return false;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

// New strings after the table's last record, in CONTINUE records of their
// own; every perBucket-th string (counting from index first) is noted for EXTSST.
void AppendStrings(CByteBuffer& out, const std::vector<const std::string*>& strings, std::size_t first,
                   std::size_t perBucket, std::vector<SstBucket>& buckets)
{
    if (strings.empty())
        return;
    std::vector<std::string_view> texts;
    texts.reserve(strings.size());
    for (const std::string* text : strings)
        texts.emplace_back(*text);
    const std::size_t record = AppendSstStrings(out, out.Begin(Biff::kContinue), texts, first, perBucket, buckets);
    out.End(record);
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
    std::vector<BiffOldSheet> sheets;
    std::size_t sst = globals.size();
    std::size_t sstEnd = globals.size();
    std::size_t extSst = globals.size();
    std::size_t lastBoundSheet = globals.size();
    for (std::size_t i = 0; i < globals.size(); ++i) {
        const BiffRecord& record = globals[i];
        if (record.opcode == kFilePass)
            return Refuse(error, "it is protected by a password");
        if (record.opcode == Biff::kBoundSheet) {
            BiffOldSheet sheet;
            sheet.offset = BiffU32(record.data, 0);
            sheet.type = record.data.size() > 5 ? static_cast<std::uint8_t>(record.data[5]) : 0;
            sheet.name = BiffShortStringText(record.data, 6);
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
    CBiffStrings strings(oldStrings);

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
        if (std::none_of(sheets.begin(), sheets.end(), [&](const BiffOldSheet& s) { return SameSheetName(s.name, sheet.name); }))
            added.push_back(&sheet);
    std::vector<std::string> addedBodies;
    addedBodies.reserve(added.size());
    for (const WorkbookSheet* sheet : added)
        addedBodies.push_back(NewBiffSheet(globals.front().data, *sheet, strings));

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
    std::vector<SstBucket> buckets;
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
        head.Raw(table.Bytes());
        // AppendSharedStrings counts EXTSST's stream positions from its own
        // start: they move by where the table now stands.
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
            result += KeptBiffSheet(stream, sheets[i], static_cast<std::int64_t>(at) - static_cast<std::int64_t>(sheets[i].offset));
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
