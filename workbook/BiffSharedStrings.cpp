#include "workbook/BiffSharedStrings.h"

#include <algorithm>

namespace {

class CSstCursor {
public:
    explicit CSstCursor(const std::vector<std::string_view>& records) : m_records(records) {}

    // Moves on to the next record when this one is used up; false at the end.
    bool Ready()
    {
        while (m_record < m_records.size() && m_offset >= m_records[m_record].size()) {
            ++m_record;
            m_offset = 0;
        }
        return m_record < m_records.size();
    }
    std::size_t Left() const { return m_records[m_record].size() - m_offset; }
    std::string_view Here() const { return m_records[m_record].substr(m_offset); }
    void Skip(std::size_t n) { m_offset += n; }
    std::size_t Record() const { return m_record; }
    std::size_t Offset() const { return m_offset; }

    bool SkipAcross(std::size_t n)
    {
        while (n > 0) {
            if (!Ready())
                return false;
            const std::size_t take = std::min(n, Left());
            m_offset += take;
            n -= take;
        }
        return true;
    }

private:
    const std::vector<std::string_view>& m_records;
    std::size_t m_record = 0;
    std::size_t m_offset = 0;
};

} // namespace

std::string Utf16ToUtf8(const std::u16string& units)
{
    std::string text;
    text.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else if (c < 0x800) {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            text += static_cast<char>(0xE0 | (c >> 12));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | (c >> 18));
            text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

bool ReadBiffSharedStrings(const std::vector<std::string_view>& records, std::vector<BiffSharedString>& strings)
{
    strings.clear();
    if (records.empty() || records[0].size() < 8)
        return false;
    const std::uint32_t unique = BiffU32(records[0], 4);
    CSstCursor at(records);
    at.Skip(8);
    std::u16string units;
    for (std::uint32_t i = 0; i < unique; ++i) {
        // A string's header never spans two records.
        if (!at.Ready() || at.Left() < 3)
            return false;
        BiffSharedString string;
        string.record = at.Record();
        string.offset = at.Offset();
        const std::string_view head = at.Here();
        std::size_t count = BiffU16(head, 0);
        unsigned flags = static_cast<unsigned char>(head[2]);
        at.Skip(3);
        std::size_t runs = 0;
        std::size_t phonetic = 0;
        if (flags & 0x08) {
            if (at.Left() < 2)
                return false;
            runs = BiffU16(at.Here(), 0);
            at.Skip(2);
        }
        if (flags & 0x04) {
            if (at.Left() < 4)
                return false;
            phonetic = BiffU32(at.Here(), 0);
            at.Skip(4);
        }
        units.clear();
        while (count > 0) {
            if (at.Left() == 0) {
                // Characters going on in a CONTINUE record start with the flags again.
                if (!at.Ready())
                    return false;
                flags = static_cast<unsigned char>(at.Here()[0]);
                at.Skip(1);
            }
            const std::size_t width = (flags & 0x01) ? 2 : 1;
            const std::size_t fits = std::min(count, at.Left() / width);
            if (fits == 0)
                return false;
            const std::string_view chars = at.Here();
            for (std::size_t c = 0; c < fits; ++c)
                units += width == 2 ? static_cast<char16_t>(BiffU16(chars, 2 * c))
                                    : static_cast<char16_t>(static_cast<unsigned char>(chars[c]));
            at.Skip(fits * width);
            count -= fits;
        }
        if (!at.SkipAcross(runs * 4 + phonetic))
            return false;
        string.text = Utf16ToUtf8(units);
        strings.push_back(std::move(string));
    }
    return true;
}
