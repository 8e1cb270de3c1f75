#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The byte level of a BIFF8 workbook stream: little-endian records of an
// opcode, a length and at most 8224 bytes of data, and the shared string
// table that spreads over CONTINUE records.

namespace Biff {
inline constexpr std::uint16_t kBof = 0x0809;
inline constexpr std::uint16_t kEof = 0x000A;
inline constexpr std::uint16_t kCodepage = 0x0042;
inline constexpr std::uint16_t kDateMode = 0x0022;
inline constexpr std::uint16_t kWindow1 = 0x003D;
inline constexpr std::uint16_t kFont = 0x0031;
inline constexpr std::uint16_t kXf = 0x00E0;
inline constexpr std::uint16_t kStyle = 0x0293;
inline constexpr std::uint16_t kBoundSheet = 0x0085;
inline constexpr std::uint16_t kSst = 0x00FC;
inline constexpr std::uint16_t kExtSst = 0x00FF;
inline constexpr std::uint16_t kContinue = 0x003C;
inline constexpr std::uint16_t kDimensions = 0x0200;
inline constexpr std::uint16_t kRow = 0x0208;
inline constexpr std::uint16_t kLabelSst = 0x00FD;
inline constexpr std::uint16_t kNumber = 0x0203;
inline constexpr std::uint16_t kWindow2 = 0x023E;
// Largest data part of one record.
inline constexpr std::size_t kMaxRecordData = 8224;
} // namespace Biff

// A growing byte buffer with little-endian writers.
class CByteBuffer {
public:
    std::size_t Size() const { return m_bytes.size(); }
    const std::string& Bytes() const { return m_bytes; }
    std::string& Bytes() { return m_bytes; }
    void Reserve(std::size_t n) { m_bytes.reserve(n); }

    void U8(unsigned value) { m_bytes.push_back(static_cast<char>(value & 0xFF)); }
    void U16(unsigned value)
    {
        const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
        m_bytes.append(bytes, 2);
    }
    void U32(std::uint32_t value)
    {
        const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                               static_cast<char>((value >> 16) & 0xFF), static_cast<char>((value >> 24) & 0xFF)};
        m_bytes.append(bytes, 4);
    }
    void F64(double value);
    void Raw(std::string_view bytes) { m_bytes.append(bytes); }
    void PatchU32(std::size_t at, std::uint32_t value);

    // A record: opcode, length, then the data the caller appends, closed by End.
    std::size_t Begin(std::uint16_t opcode);
    void End(std::size_t begun);
    // A whole record whose data is given.
    void Record(std::uint16_t opcode, std::string_view data);

private:
    std::string m_bytes;
};

// The characters of a BIFF8 string: one byte each when every UTF-16 unit is
// below 0x100 (the "compressed" form), two bytes each otherwise.
struct BiffString {
    std::u16string units;
    bool wide = false;

    explicit BiffString(std::string_view utf8);
    std::size_t CharBytes() const { return wide ? 2 : 1; }
    void AppendChars(CByteBuffer& out, std::size_t from, std::size_t count) const;
};

// A short unicode string (one-byte length) as sheet and font names use.
void AppendShortString(CByteBuffer& out, std::string_view utf8);

// Writes the SST record with its CONTINUE records, and the EXTSST index.
// totalReferences: how many cells refer to the table.
void AppendSharedStrings(CByteBuffer& out, const std::vector<std::string_view>& strings, std::uint32_t totalReferences);

// Where an EXTSST entry finds its string: in the stream and in its record.
struct SstBucket {
    std::uint32_t streamPos;
    std::uint16_t recordPos;
};

// Writes strings into the open record that starts at `record` (the SST after
// its counts, or a CONTINUE), going on in CONTINUE records as each fills: a
// string's header and first character stay in one record, and the rest of a
// string that goes on repeats its flags. Every perBucket-th string, counted
// from index `first`, is noted for EXTSST. Returns the record left open.
std::size_t AppendSstStrings(CByteBuffer& out, std::size_t record, const std::vector<std::string_view>& strings,
                             std::size_t first, std::size_t perBucket, std::vector<SstBucket>& buckets);

// The EXTSST index over the buckets noted while the strings were written.
void AppendExtSst(CByteBuffer& out, std::size_t perBucket, const std::vector<SstBucket>& buckets);
