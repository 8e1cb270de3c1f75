#pragma once

#include "common/DataSample.h"
#include "common/LoggerRecordSet.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The DataLogger window's import store holds this many samples.
inline constexpr int kImportStoreSize = 40000;

// No line of a data file is longer than this: a longer header refuses the
// file, a longer sample line is damaged.
inline constexpr std::size_t kMaxDataFileLine = 64 * 1024;

// A sample line that does not parse: its number in the file (the header is
// line 1) and what is wrong with it.
struct DamagedDataLine {
    std::int64_t line = 0;
    std::string reason;
};
// The first this many damaged lines are named; the others are counted.
inline constexpr std::size_t kDamagedLinesKept = 20;

// Which bound of the import stopped the reading early.
enum class DataFileLimit { None, Samples, RecordSets };

// What reading a data file produces; the DataLogger window takes it over whole.
struct DataFileImport {
    double rate = 0.0;              // from the header
    std::string path;               // the file read
    std::vector<DataSample> store;  // kImportStoreSize slots; samples in 0 .. count-1
    int count = 0;                  // samples read
    std::vector<LoggerRecordSet> sets; // record sets 0 .. J in file order, at most kRecordSetTableSize;
                                       // begin/end are store indices (end inclusive), rate is not set
    double sum = 0.0;
    double maximum = 30.0;          // the meter's range bounds are the starting points
    std::string maximumTime;        // time text of the maximum's sample, as read
    double minimum = 130.0;
    std::string minimumTime;
    DataFileLimit limit = DataFileLimit::None;
    std::int64_t linesLeftOut = 0;  // sample lines not imported because a bound was reached
    std::vector<DamagedDataLine> damagedLines; // the first kDamagedLinesKept damaged lines
    std::int64_t damagedCount = 0;  // sample lines left out because they do not parse

    int SetCount() const { return static_cast<int>(sets.size()); }
};

enum class DataFileReadStatus { Ok, OpenFailed, FormatError, ReadFailed, OutOfMemory };

struct DataFileReadResult {
    DataFileReadStatus status = DataFileReadStatus::Ok;
    std::string error; // the text to show when status is not Ok
    DataFileImport data;
};

inline constexpr const char* kDataFormatWrongText = "Data Format is wrong!";
inline constexpr const char* kDataImportedText = "Data has been imported.";
inline constexpr const char* kMemoryOverflowText = "Memory OverFlow!";

// Reads a data file. onSignatureMatched runs once the header's signature has
// been accepted and before any sample line is read. A UTF-8 byte-order mark
// before the signature is passed over. Blank lines are skipped; every other
// line after the header is a sample line, and one that does not parse
// (DataFileLineDamage) is left out and noted with its line number: nothing
// is made up from it. What is not a regular file (a pipe, a device) is
// refused unread, and so is a file whose header is longer than
// kMaxDataFileLine bytes; the error then says why.
DataFileReadResult ReadDataFile(const std::string& path, const std::function<void()>& onSignatureMatched = {});

// The rate of a header line: the text after the signature, at most 25
// characters; from the first ':' on, at most (position of ';') - 1 characters,
// read as atof reads a number in the "C" locale. No ';' gives 0.0.
double ParseDataFileRate(std::string_view headerLine);

// One sample line cut into its fields. Each field is the text before the first
// ','; the rest starts two characters after it (the ',' and its blank). With no
// ',' the field is empty and the rest loses its first character. The unit is
// the first three characters of what remains.
struct DataFileFields {
    std::string date;
    std::string time;
    std::string value;
    std::string unit;
};
DataFileFields SplitDataFileLine(std::string_view line);

// Why a sample line does not parse, empty when it does. A line parses when it
// holds no NUL byte and reads "date, time, level, unit": the date d-m-y and
// the time h:m:s in digits, the level a plain decimal number (blanks before
// it allowed), the unit beginning with dBA or dBC (what follows it is
// ignored, the CR of a CR CR LF line end among it).
std::string DataFileLineDamage(std::string_view line);

// The damaged lines, one a line ("line 812 is damaged: its level is not a
// number"), and how many were left out; empty when there were none.
std::string DataFileDamageText(const DataFileImport& data);

// A sentence for the user when a bound cut the import short, empty otherwise.
std::string DataFileTruncationText(const DataFileImport& data);
