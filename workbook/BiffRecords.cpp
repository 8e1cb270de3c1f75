#include "workbook/BiffRecords.h"

#include "workbook/WorkbookText.h"

#include <algorithm>
#include <cstring>

void CByteBuffer::F64(double value)
{
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof value);
    std::memcpy(&bits, &value, sizeof bits);
    U32(static_cast<std::uint32_t>(bits & 0xFFFFFFFFu));
    U32(static_cast<std::uint32_t>(bits >> 32));
}

void CByteBuffer::PatchU32(std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        m_bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::size_t CByteBuffer::Begin(std::uint16_t opcode)
{
    U16(opcode);
    U16(0);
    return m_bytes.size();
}

void CByteBuffer::End(std::size_t begun)
{
    const std::size_t length = m_bytes.size() - begun;
    m_bytes[begun - 2] = static_cast<char>(length & 0xFF);
    m_bytes[begun - 1] = static_cast<char>((length >> 8) & 0xFF);
}

void CByteBuffer::Record(std::uint16_t opcode, std::string_view data)
{
    const std::size_t at = Begin(opcode);
    Raw(data);
    End(at);
}

BiffString::BiffString(std::string_view utf8)
    : units(Utf8ToUtf16(utf8))
{
    wide = std::any_of(units.begin(), units.end(), [](char16_t unit) { return unit > 0xFF; });
}

void BiffString::AppendChars(CByteBuffer& out, std::size_t from, std::size_t count) const
{
    for (std::size_t i = from; i < from + count; ++i) {
        if (wide)
            out.U16(units[i]);
        else
            out.U8(units[i]);
    }
}

void AppendShortString(CByteBuffer& out, std::string_view utf8)
{
    const BiffString text(utf8);
    const std::size_t count = std::min<std::size_t>(text.units.size(), 255);
    out.U8(static_cast<unsigned>(count));
    out.U8(text.wide ? 1 : 0);
    text.AppendChars(out, 0, count);
}

void AppendSharedStrings(CByteBuffer& out, const std::vector<std::string_view>& strings, std::uint32_t totalReferences)
{
    // EXTSST indexes every dsst-th string by its position in the stream and
    // in the record it starts in.
    const std::size_t perBucket = std::max<std::size_t>(8, (strings.size() + 127) / 128);
    std::vector<SstBucket> buckets;
    std::size_t record = out.Begin(Biff::kSst);
    out.U32(totalReferences);
    out.U32(static_cast<std::uint32_t>(strings.size()));
    record = AppendSstStrings(out, record, strings, 0, perBucket, buckets);
    out.End(record);
    AppendExtSst(out, perBucket, buckets);
}

std::size_t AppendSstStrings(CByteBuffer& out, std::size_t record, const std::vector<std::string_view>& strings,
                             std::size_t first, std::size_t perBucket, std::vector<SstBucket>& buckets)
{
    const auto room = [&] { return Biff::kMaxRecordData - (out.Size() - record); };
    const auto nextRecord = [&] {
        out.End(record);
        record = out.Begin(Biff::kContinue);
    };
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const BiffString text(strings[i]);
        const std::size_t length = std::min(text.units.size(), std::size_t{0xFFFF});
        if (room() < 3 + text.CharBytes())
            nextRecord();
        if ((first + i) % perBucket == 0)
            buckets.push_back({static_cast<std::uint32_t>(out.Size()),
                               static_cast<std::uint16_t>(out.Size() - record + 4)});
        out.U16(static_cast<unsigned>(length));
        out.U8(text.wide ? 1 : 0);
        for (std::size_t written = 0; written < length;) {
            std::size_t fits = room() / text.CharBytes();
            if (fits == 0) {
                nextRecord();
                out.U8(text.wide ? 1 : 0);
                fits = room() / text.CharBytes();
            }
            const std::size_t count = std::min(fits, length - written);
            text.AppendChars(out, written, count);
            written += count;
        }
    }
    return record;
}

void AppendExtSst(CByteBuffer& out, std::size_t perBucket, const std::vector<SstBucket>& buckets)
{
    const std::size_t at = out.Begin(Biff::kExtSst);
    out.U16(static_cast<unsigned>(perBucket));
    for (const SstBucket& bucket : buckets) {
        out.U32(bucket.streamPos);
        out.U16(bucket.recordPos);
        out.U16(0);
    }
    out.End(at);
}
