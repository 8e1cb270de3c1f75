#pragma once

#include "DataSample.h"
#include "LoggerRecordSet.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The DataLogger window's import store holds this many samples.
inline constexpr int kImportStoreSize = 40000;

// No line of a data file is longer than this; a file with a longer one is refused.
inline constexpr std::size_t kMaxDataFileLine = 64 * 1024;

// Which bound of the import stopped the reading early.
enum class DataFileLimit { None, Samples, RecordSets };

// What reading a data file produces; the DataLogger window takes it over whole.
struct DataFileImport {
    double rate = 0.0;              // from the header
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
// been accepted and before any sample line is read (the import confirms to
// the user at that moment). Blank lines are skipped; every other line after the
// header is a sample line, not validated. What is not a regular file (a pipe,
// a device) is refused unread, and so is a file with a line longer than
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

// A sentence for the user when a bound cut the import short, empty otherwise.
std::string DataFileTruncationText(const DataFileImport& data);
