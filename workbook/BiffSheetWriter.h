#pragma once

#include "workbook/BiffSharedStrings.h"
#include "workbook/BiffStream.h"
#include "workbook/Workbook.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The sheets of a workbook changed at record level (WorkbookEditor.h).

// Shared strings: the table's own strings keep their indices; new ones go
// after them.
class CBiffStrings {
public:
    explicit CBiffStrings(const std::vector<BiffSharedString>& old);
    std::uint32_t Index(const std::string& text);
    std::uint32_t Count() const { return m_count; }
    const std::vector<const std::string*>& Added() const { return m_added; }

private:
    std::unordered_map<std::string, std::uint32_t> m_index;
    std::vector<const std::string*> m_added;
    std::uint32_t m_count;
};

// A sheet as the workbook's sheet list and stream hold it.
struct BiffOldSheet {
    std::string name;
    std::uint8_t type = 0; // 0 worksheet
    std::size_t offset = 0;
    std::vector<BiffRecord> records;
};

// A written sheet that existed: its own records, the cell table made anew
// from now, a cell still holding what was read from it (loaded) keeping its
// record. False with *error when a formula, boolean or error would be lost.
bool WriteBackSheet(std::string_view stream, const BiffOldSheet& old, const WorkbookSheet* loaded,
                    const WorkbookSheet& now, CBiffStrings& strings, std::string& out, std::string* error);
// A sheet the workbook did not have: text and number cells in the default format.
std::string NewBiffSheet(std::string_view globalsBof, const WorkbookSheet& sheet, CBiffStrings& strings);
// A sheet no statement touched, byte for byte; its INDEX record's stream
// offsets follow it by shift.
std::string KeptBiffSheet(std::string_view stream, const BiffOldSheet& old, std::int64_t shift);
// The text of a BIFF8 short string (one-byte length) at data[at].
std::string BiffShortStringText(std::string_view data, std::size_t at);
