#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reading a BIFF8 workbook stream record by record.
struct BiffRecord {
    std::uint16_t opcode = 0;
    std::size_t at = 0; // where its header starts in the stream
    std::string_view data;

    std::size_t End() const { return at + 4 + data.size(); }
    // The whole record, header included.
    std::string_view Bytes(std::string_view stream) const { return stream.substr(at, 4 + data.size()); }
};

// The records of the substream starting at from (a BOF) up to and including
// its EOF; substreams nested inside (an embedded chart) are taken in whole.
// False when the stream ends before the EOF or from is not a BOF.
bool ReadBiffSubstream(std::string_view stream, std::size_t from, std::vector<BiffRecord>& records);

std::uint16_t BiffU16(std::string_view data, std::size_t at);
std::uint32_t BiffU32(std::string_view data, std::size_t at);
void BiffPutU16(std::string& data, std::size_t at, unsigned value);
void BiffPutU32(std::string& data, std::size_t at, std::uint32_t value);
