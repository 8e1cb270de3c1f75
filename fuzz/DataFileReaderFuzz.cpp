// The data text file as any file may hold it: read without harm, and what is
// imported stays within the import store and its table of record sets.
#include "logger/DataFileReader.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

const std::string& FilePath()
{
    static const std::string path = "/tmp/vexalog-fuzz-data." + std::to_string(getpid()) + ".txt";
    return path;
}

void CheckImport(const DataFileImport& d)
{
    Require(d.count >= 0 && d.count <= kImportStoreSize);
    Require(d.store.size() >= static_cast<std::size_t>(d.count));
    Require(d.sets.size() <= static_cast<std::size_t>(kRecordSetTableSize));
    Require(d.damagedLines.size() <= kDamagedLinesKept);
    Require(d.damagedCount >= static_cast<std::int64_t>(d.damagedLines.size()));
    Require(d.linesLeftOut >= 0);
    for (std::size_t i = 0; i < d.sets.size(); ++i) {
        Require(d.sets[i].begin >= 0 && d.sets[i].begin <= d.sets[i].end);
        Require(d.sets[i].end < d.count);
        Require(i == 0 || d.sets[i].begin > d.sets[i - 1].end);
    }
    for (int i = 0; i < d.count; ++i) {
        const DataSample& s = d.store[static_cast<std::size_t>(i)];
        Require(s.valid == 1 && std::isfinite(s.value));
        Require(s.unit == "dBA" || s.unit == "dBC");
    }
    for (const DamagedDataLine& line : d.damagedLines)
        Require(line.line >= 2 && !line.reason.empty());
    (void)DataFileDamageText(d);
    (void)DataFileTruncationText(d);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        std::ofstream out(FilePath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    bool signature = false;
    const DataFileReadResult result = ReadDataFile(FilePath(), [&] { signature = true; });
    if (result.status == DataFileReadStatus::Ok) {
        Require(signature);
        CheckImport(result.data);
    } else {
        Require(!result.error.empty());
    }
    // The line routines on their own, over the whole input as one line.
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    (void)SplitDataFileLine(line);
    (void)DataFileLineDamage(line);
    (void)ParseDataFileRate(line);
    return 0;
}
