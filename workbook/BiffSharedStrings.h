#pragma once

#include "workbook/BiffStream.h"

#include <cstdint>
#include <string>
#include <vector>

// The strings of an existing shared-string table (SST and its CONTINUE
// records), each with where it starts, so the table can be kept as it is
// and extended at its end.
struct BiffSharedString {
    std::string text;       // UTF-8; formatting runs and phonetic data are not kept here
    std::size_t record = 0; // 0 the SST, 1.. its CONTINUE records
    std::size_t offset = 0; // within that record's data
};

// records: the SST's data, then each CONTINUE's. False when the table is
// damaged (a string runs past the last record).
bool ReadBiffSharedStrings(const std::vector<std::string_view>& records, std::vector<BiffSharedString>& strings);

// UTF-16 code units to UTF-8 (an unpaired surrogate becomes U+FFFD).
std::string Utf16ToUtf8(const std::u16string& units);
