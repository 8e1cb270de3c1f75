// An .xls file as any file may hold it, through the reading path: the
// compound file's directory and streams, the workbook stream's substreams
// and its shared strings, and the editor that writes a workbook back at
// record level. What the editor writes opens again as a compound file whose
// workbook stream reads.
#include "workbook/BiffRecords.h"
#include "workbook/BiffSharedStrings.h"
#include "workbook/BiffStream.h"
#include "workbook/CompoundFileReader.h"
#include "workbook/WorkbookEditor.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// Reads the workbook stream of file the way the editor does; false when the
// file has none that reads.
bool ReadWorkbook(const std::string& file, bool mustRead)
{
    CCompoundFileReader compound;
    std::string problem;
    if (!compound.Open(file, &problem)) {
        Require(!mustRead && !problem.empty());
        return false;
    }
    for (std::size_t i = 0; i < compound.Entries().size(); ++i) {
        const CompoundEntry& entry = compound.Entries()[i];
        Require(entry.raw.size() == CompoundEntry::kSize);
        (void)EntryNameText(entry.name);
        std::string stream;
        if (entry.type == CompoundEntry::Stream && compound.ReadStream(i, stream, &problem))
            Require(stream.size() == entry.size);
    }
    const int at = compound.FindRootStream(u"Workbook");
    Require(!mustRead || at >= 0);
    if (at < 0)
        return false;
    std::string stream;
    if (!compound.ReadStream(static_cast<std::size_t>(at), stream, &problem)) {
        Require(!mustRead);
        return false;
    }
    std::vector<BiffRecord> globals;
    if (!ReadBiffSubstream(stream, 0, globals)) {
        Require(!mustRead);
        return false;
    }
    std::vector<std::string_view> sst;
    for (const BiffRecord& record : globals) {
        Require(record.End() <= stream.size());
        if (record.opcode == Biff::kSst || (!sst.empty() && record.opcode == Biff::kContinue))
            sst.push_back(record.data);
        else if (!sst.empty())
            break;
    }
    std::vector<BiffSharedString> strings;
    if (!sst.empty() && ReadBiffSharedStrings(sst, strings)) {
        for (const BiffSharedString& s : strings)
            Require(s.record < sst.size() && s.offset <= sst[s.record].size());
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string file(reinterpret_cast<const char*>(data), size);
    if (!ReadWorkbook(file, false))
        return 0;

    // Written back with one sheet changed and one added.
    Workbook original;
    Workbook edited;
    WorkbookSheet& sheet = edited.sheets.emplace_back();
    sheet.name = "Sheet1";
    sheet.At(0, 0) = WorkbookCell::Text("Level");
    sheet.At(1, 0) = WorkbookCell::Number(65.3);
    WorkbookSheet& added = edited.sheets.emplace_back();
    added.name = "Vexalog fuzz";
    added.At(2, 1) = WorkbookCell::Text("dBA");
    std::string out;
    std::string error;
    if (EditWorkbookFile(file, original, edited, {"Sheet1", "Vexalog fuzz"}, out, &error))
        ReadWorkbook(out, true);
    else
        Require(!error.empty());
    return 0;
}
