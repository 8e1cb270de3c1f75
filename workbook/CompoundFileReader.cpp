#include "workbook/CompoundFileReader.h"

#include "workbook/BiffRecords.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::size_t kHeaderDifat = 109;
constexpr std::size_t kSector = 512;
constexpr std::size_t kMiniSector = 64;
constexpr std::size_t kMiniCutoff = 4096;

std::uint32_t U32At(std::string_view bytes, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
}

unsigned U16At(std::string_view bytes, std::size_t at)
{
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

bool Fail(std::string* error, const std::string& why)
{
    *error = why;
    return false;
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::size_t SectorsFor(std::size_t bytes, std::size_t size)
{
    return (bytes + size - 1) / size;
}

} // namespace

std::string EntryNameText(const std::u16string& name)
{
    std::string text;
    for (char16_t unit : name) {
        if (unit < 0x20)
            text += "\\x" + std::to_string(unit);
        else if (unit < 0x80)
            text += static_cast<char>(unit);
        else if (unit < 0x800) {
            text += static_cast<char>(0xC0 | (unit >> 6));
            text += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            text += static_cast<char>(0xE0 | (unit >> 12));
            text += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
            text += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return text;
}

bool CCompoundFileReader::Chain(const std::vector<std::uint32_t>& table, std::uint32_t start, std::size_t limit,
                                std::vector<std::uint32_t>& sectors) const
{
    sectors.clear();
    for (std::uint32_t at = start; at != kEndOfChain;) {
        if (at >= table.size() || sectors.size() >= limit)
            return false;
        sectors.push_back(at);
        at = table[at];
    }
    return true;
}

bool CCompoundFileReader::ReadSectors(const std::vector<std::uint32_t>& sectors, std::string& out) const
{
    out.clear();
    out.reserve(sectors.size() * m_sectorSize);
    for (std::uint32_t sector : sectors) {
        const std::size_t at = (static_cast<std::size_t>(sector) + 1) * m_sectorSize;
        if (at + m_sectorSize > m_file.size()) {
            // The last sector of a file may be cut short.
            if (at >= m_file.size())
                return false;
            out.append(m_file.substr(at));
            out.append(at + m_sectorSize - m_file.size(), '\0');
            continue;
        }
        out.append(m_file.substr(at, m_sectorSize));
    }
    return true;
}

bool CCompoundFileReader::Open(std::string_view file, std::string* error)
{
    m_file = file;
    m_entries.clear();
    if (file.size() < kSector || file.substr(0, 8) != std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return Fail(error, "it is not a compound file");
    const unsigned shift = U16At(file, 0x1E);
    if (shift != 9 && shift != 12)
        return Fail(error, "its sector size is not one the format allows");
    m_sectorSize = std::size_t{1} << shift;
    if (U16At(file, 0x20) != 6)
        return Fail(error, "its mini sector size is not one the format allows");
    m_miniCutoff = U32At(file, 0x38);
    const std::size_t sectors = file.size() / m_sectorSize + 1;
    const std::uint32_t fatCount = U32At(file, 0x2C);
    if (fatCount > sectors)
        return Fail(error, "its allocation table is longer than the file");

    // The FAT's own sectors: 109 in the header, the rest in DIFAT sectors.
    std::vector<std::uint32_t> fatSectors;
    for (std::size_t i = 0; i < kHeaderDifat && fatSectors.size() < fatCount; ++i)
        fatSectors.push_back(U32At(file, 0x4C + 4 * i));
    const std::size_t perSector = m_sectorSize / 4;
    std::uint32_t difat = U32At(file, 0x44);
    for (std::size_t guard = 0; fatSectors.size() < fatCount; ++guard) {
        const std::size_t at = (static_cast<std::size_t>(difat) + 1) * m_sectorSize;
        if (difat >= kDifatSector || guard > sectors || at + m_sectorSize > file.size())
            return Fail(error, "its allocation table is damaged");
        for (std::size_t i = 0; i + 1 < perSector && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(U32At(file, at + 4 * i));
        difat = U32At(file, at + 4 * (perSector - 1));
    }
    std::string fatBytes;
    if (!ReadSectors(fatSectors, fatBytes))
        return Fail(error, "its allocation table is damaged");
    m_fat.resize(fatBytes.size() / 4);
    for (std::size_t i = 0; i < m_fat.size(); ++i)
        m_fat[i] = U32At(fatBytes, 4 * i);

    std::vector<std::uint32_t> chain;
    std::string directory;
    if (!Chain(m_fat, U32At(file, 0x30), sectors, chain) || !ReadSectors(chain, directory))
        return Fail(error, "its directory is damaged");
    for (std::size_t at = 0; at + CompoundEntry::kSize <= directory.size(); at += CompoundEntry::kSize) {
        CompoundEntry entry;
        entry.raw = directory.substr(at, CompoundEntry::kSize);
        const unsigned nameBytes = std::min(U16At(entry.raw, 64), 64u);
        for (unsigned i = 0; i + 2 < nameBytes + 1 && i + 1 < 64; i += 2) {
            const char16_t unit = static_cast<char16_t>(U16At(entry.raw, i));
            if (unit == 0)
                break;
            entry.name += unit;
        }
        entry.type = static_cast<std::uint8_t>(entry.raw[66]);
        entry.left = U32At(entry.raw, 68);
        entry.right = U32At(entry.raw, 72);
        entry.child = U32At(entry.raw, 76);
        entry.start = U32At(entry.raw, 116);
        entry.size = U32At(entry.raw, 120);
        if (m_sectorSize == 4096)
            entry.size |= static_cast<std::uint64_t>(U32At(entry.raw, 124)) << 32;
        m_entries.push_back(std::move(entry));
    }
    if (m_entries.empty() || m_entries[0].type != CompoundEntry::Root)
        return Fail(error, "its directory has no root");

    // The mini FAT and the mini stream, which the root entry holds.
    std::string miniFatBytes;
    if (!Chain(m_fat, U32At(file, 0x3C), sectors, chain) || !ReadSectors(chain, miniFatBytes))
        return Fail(error, "its mini allocation table is damaged");
    m_miniFat.resize(miniFatBytes.size() / 4);
    for (std::size_t i = 0; i < m_miniFat.size(); ++i)
        m_miniFat[i] = U32At(miniFatBytes, 4 * i);
    if (m_entries[0].size > 0) {
        if (!Chain(m_fat, m_entries[0].start, sectors, chain) || !ReadSectors(chain, m_miniStream) ||
            m_miniStream.size() < m_entries[0].size)
            return Fail(error, "its mini stream is damaged");
        m_miniStream.resize(static_cast<std::size_t>(m_entries[0].size));
    }
    return true;
}

int CCompoundFileReader::FindRootStream(std::u16string_view name) const
{
    const auto same = [&](const std::u16string& other) {
        if (other.size() != name.size())
            return false;
        for (std::size_t i = 0; i < name.size(); ++i) {
            char16_t a = other[i];
            char16_t b = name[i];
            if (a >= u'a' && a <= u'z')
                a = static_cast<char16_t>(a - u'a' + u'A');
            if (b >= u'a' && b <= u'z')
                b = static_cast<char16_t>(b - u'a' + u'A');
            if (a != b)
                return false;
        }
        return true;
    };
    // Walk the root's tree of children (bounded by the number of entries).
    std::vector<std::uint32_t> stack{m_entries.empty() ? CompoundEntry::kNone : m_entries[0].child};
    for (std::size_t steps = 0; !stack.empty() && steps <= m_entries.size(); ++steps) {
        const std::uint32_t at = stack.back();
        stack.pop_back();
        if (at >= m_entries.size())
            continue;
        const CompoundEntry& entry = m_entries[at];
        if (entry.type == CompoundEntry::Stream && same(entry.name))
            return static_cast<int>(at);
        stack.push_back(entry.left);
        stack.push_back(entry.right);
    }
    return -1;
}

bool CCompoundFileReader::ReadStream(std::size_t index, std::string& out, std::string* error) const
{
    if (index >= m_entries.size() || m_entries[index].type != CompoundEntry::Stream)
        return Fail(error, "no such stream");
    const CompoundEntry& entry = m_entries[index];
    if (entry.size > m_file.size() * 2)
        return Fail(error, "the stream " + EntryNameText(entry.name) + " is longer than the file");
    const auto size = static_cast<std::size_t>(entry.size);
    std::vector<std::uint32_t> chain;
    if (size < m_miniCutoff) {
        if (!Chain(m_miniFat, entry.start, m_miniStream.size() / kMiniSector + 1, chain) && size > 0)
            return Fail(error, "the stream " + EntryNameText(entry.name) + " is damaged");
        out.clear();
        for (std::uint32_t sector : chain) {
            const std::size_t at = static_cast<std::size_t>(sector) * kMiniSector;
            if (at + kMiniSector > m_miniStream.size() + (kMiniSector - 1) || at >= m_miniStream.size())
                return Fail(error, "the stream " + EntryNameText(entry.name) + " is damaged");
            out.append(m_miniStream.substr(at, kMiniSector));
        }
    } else {
        if (!Chain(m_fat, entry.start, m_file.size() / m_sectorSize + 1, chain) || !ReadSectors(chain, out))
            return Fail(error, "the stream " + EntryNameText(entry.name) + " is damaged");
    }
    if (out.size() < size)
        return Fail(error, "the stream " + EntryNameText(entry.name) + " is shorter than its entry says");
    out.resize(size);
    return true;
}

std::string BuildCompoundFileFrom(const std::vector<CompoundEntry>& entries, const std::vector<std::string>& contents)
{
    const std::size_t perSector = kSector / 4;
    const auto content = [&](std::size_t i) -> const std::string& {
        static const std::string none;
        return i < contents.size() ? contents[i] : none;
    };
    // Where each stream goes: small ones into the mini stream, the others
    // into sectors of their own, in directory order.
    std::vector<std::uint32_t> starts(entries.size(), kEndOfChain);
    std::vector<std::uint32_t> fat;
    std::vector<std::uint32_t> miniFat;
    std::string data;
    std::string mini;
    const auto chainInto = [](std::vector<std::uint32_t>& table, std::size_t count) {
        const auto first = static_cast<std::uint32_t>(table.size());
        for (std::size_t i = 0; i < count; ++i)
            table.push_back(i + 1 < count ? first + static_cast<std::uint32_t>(i + 1) : kEndOfChain);
        return count ? first : kEndOfChain;
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].type != CompoundEntry::Stream)
            continue;
        const std::string& bytes = content(i);
        if (bytes.size() < kMiniCutoff) {
            starts[i] = chainInto(miniFat, SectorsFor(bytes.size(), kMiniSector));
            mini += bytes;
            mini.append((kMiniSector - bytes.size() % kMiniSector) % kMiniSector, '\0');
        } else {
            starts[i] = chainInto(fat, SectorsFor(bytes.size(), kSector));
            data += bytes;
            data.append((kSector - bytes.size() % kSector) % kSector, '\0');
        }
    }
    const std::uint32_t miniStart = chainInto(fat, SectorsFor(mini.size(), kSector));
    data += mini;
    data.append((kSector - data.size() % kSector) % kSector, '\0');
    const std::size_t miniFatSectors = SectorsFor(miniFat.size() * 4, kSector);
    const std::uint32_t miniFatStart = chainInto(fat, miniFatSectors);
    const std::size_t dirSectors = std::max<std::size_t>(1, SectorsFor(entries.size() * CompoundEntry::kSize, kSector));
    const std::uint32_t dirStart = chainInto(fat, dirSectors);

    std::size_t fatSectors = 1;
    std::size_t difatSectors = 0;
    for (;;) {
        const std::size_t total = fat.size() + fatSectors + difatSectors;
        const std::size_t needFat = SectorsFor(total, perSector);
        const std::size_t needDifat = needFat > kHeaderDifat ? SectorsFor(needFat - kHeaderDifat, perSector - 1) : 0;
        if (needFat == fatSectors && needDifat == difatSectors)
            break;
        fatSectors = needFat;
        difatSectors = needDifat;
    }
    const auto firstFat = static_cast<std::uint32_t>(fat.size());
    fat.insert(fat.end(), fatSectors, kFatSector);
    const auto firstDifat = static_cast<std::uint32_t>(fat.size());
    fat.insert(fat.end(), difatSectors, kDifatSector);
    fat.resize(fatSectors * perSector, kFree);
    miniFat.resize(miniFatSectors * perSector, kFree);

    CByteBuffer out;
    out.Raw(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    for (int i = 0; i < 16; ++i)
        out.U8(0);
    out.U16(0x003E);
    out.U16(0x0003);
    out.U16(0xFFFE);
    out.U16(9);
    out.U16(6);
    for (int i = 0; i < 6; ++i)
        out.U8(0);
    out.U32(0);
    out.U32(static_cast<std::uint32_t>(fatSectors));
    out.U32(dirStart);
    out.U32(0);
    out.U32(static_cast<std::uint32_t>(kMiniCutoff));
    out.U32(miniFatSectors ? miniFatStart : kEndOfChain);
    out.U32(static_cast<std::uint32_t>(miniFatSectors));
    out.U32(difatSectors ? firstDifat : kEndOfChain);
    out.U32(static_cast<std::uint32_t>(difatSectors));
    for (std::size_t i = 0; i < kHeaderDifat; ++i)
        out.U32(i < fatSectors ? firstFat + static_cast<std::uint32_t>(i) : kFree);
    out.Raw(data);
    for (std::uint32_t id : miniFat)
        out.U32(id);

    std::string directory;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::string raw = entries[i].raw;
        raw.resize(CompoundEntry::kSize, '\0');
        std::uint32_t start = 0;
        std::uint32_t size = 0;
        if (entries[i].type == CompoundEntry::Root) {
            start = mini.empty() ? kEndOfChain : miniStart;
            size = static_cast<std::uint32_t>(mini.size());
        } else if (entries[i].type == CompoundEntry::Stream) {
            start = starts[i];
            size = static_cast<std::uint32_t>(content(i).size());
        }
        PutU32(raw, 116, start);
        PutU32(raw, 120, size);
        PutU32(raw, 124, 0);
        directory += raw;
    }
    while (directory.size() < dirSectors * kSector) {
        std::string unused(CompoundEntry::kSize, '\0');
        PutU32(unused, 68, CompoundEntry::kNone);
        PutU32(unused, 72, CompoundEntry::kNone);
        PutU32(unused, 76, CompoundEntry::kNone);
        directory += unused;
    }
    out.Raw(directory);
    for (std::uint32_t id : fat)
        out.U32(id);
    for (std::size_t d = 0; d < difatSectors; ++d) {
        for (std::size_t i = 0; i + 1 < perSector; ++i) {
            const std::size_t index = kHeaderDifat + d * (perSector - 1) + i;
            out.U32(index < fatSectors ? firstFat + static_cast<std::uint32_t>(index) : kFree);
        }
        out.U32(d + 1 < difatSectors ? firstDifat + static_cast<std::uint32_t>(d + 1) : kEndOfChain);
    }
    return std::move(out.Bytes());
}
