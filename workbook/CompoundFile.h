#pragma once

#include <string>
#include <string_view>

// An OLE2 compound file (version 3, 512-byte sectors) holding one stream
// under the root storage, as an .xls file holds its "Workbook" stream. A
// stream shorter than 4096 bytes lives in the mini stream, as the format
// requires; the sector allocation table grows through DIFAT sectors when it
// needs more than the header's 109 entries.
//
// The stream's bytes go into the file unchanged, so the file is written as
// three pieces: Head(), the stream, Tail().
class CCompoundFileLayout {
public:
    CCompoundFileLayout(std::string_view streamName, std::size_t streamSize);
    const std::string& Head() const { return m_head; }
    const std::string& Tail() const { return m_tail; }

private:
    std::string m_head;
    std::string m_tail;
};

// The whole file in one piece.
std::string BuildCompoundFile(std::string_view streamName, std::string_view stream);
