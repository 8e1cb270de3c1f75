#include "workbook/BiffStream.h"

#include "workbook/BiffRecords.h"

std::uint16_t BiffU16(std::string_view data, std::size_t at)
{
    if (at + 2 > data.size())
        return 0;
    return static_cast<std::uint16_t>(static_cast<unsigned char>(data[at]) |
                                      static_cast<unsigned>(static_cast<unsigned char>(data[at + 1])) << 8);
}

std::uint32_t BiffU32(std::string_view data, std::size_t at)
{
    if (at + 4 > data.size())
        return 0;
    return static_cast<std::uint32_t>(BiffU16(data, at)) | static_cast<std::uint32_t>(BiffU16(data, at + 2)) << 16;
}

void BiffPutU16(std::string& data, std::size_t at, unsigned value)
{
    data[at] = static_cast<char>(value & 0xFF);
    data[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void BiffPutU32(std::string& data, std::size_t at, std::uint32_t value)
{
    BiffPutU16(data, at, value & 0xFFFF);
    BiffPutU16(data, at + 2, value >> 16);
}

bool ReadBiffSubstream(std::string_view stream, std::size_t from, std::vector<BiffRecord>& records)
{
    records.clear();
    int depth = 0;
    for (std::size_t at = from; at + 4 <= stream.size();) {
        BiffRecord record;
        record.opcode = BiffU16(stream, at);
        const std::size_t length = BiffU16(stream, at + 2);
        if (at + 4 + length > stream.size())
            return false;
        record.at = at;
        record.data = stream.substr(at + 4, length);
        if (records.empty() && record.opcode != Biff::kBof)
            return false;
        if (record.opcode == Biff::kBof)
            ++depth;
        else if (record.opcode == Biff::kEof)
            --depth;
        records.push_back(record);
        at = record.End();
        if (depth == 0)
            return true;
    }
    return false;
}
