#include "workbook/CompoundFile.h"

#include "workbook/BiffRecords.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr std::size_t kSector = 512;
constexpr std::size_t kMiniSector = 64;
constexpr std::size_t kMiniCutoff = 4096;
constexpr std::size_t kHeaderDifat = 109;
constexpr std::size_t kIdsPerSector = kSector / 4;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

std::size_t SectorsFor(std::size_t bytes, std::size_t sectorSize)
{
    return (bytes + sectorSize - 1) / sectorSize;
}

// One 128-byte directory entry.
void AppendEntry(CByteBuffer& out, std::string_view name, unsigned type, std::uint32_t child,
                 std::uint32_t start, std::uint32_t size)
{
    const std::size_t begin = out.Size();
    const std::u16string units(name.begin(), name.end());
    for (char16_t unit : units)
        out.U16(unit);
    out.U16(0);
    while (out.Size() < begin + 64)
        out.U8(0);
    out.U16(name.empty() ? 0 : static_cast<unsigned>((units.size() + 1) * 2));
    out.U8(type);                        // 0 unused, 2 stream, 5 root storage
    out.U8(type == 0 ? 0 : 1);           // black in the red-black tree; 0 when unused
    out.U32(kNoStream);                  // left sibling
    out.U32(kNoStream);                  // right sibling
    out.U32(child);
    while (out.Size() < begin + 116)     // class id, state bits, times
        out.U8(0);
    out.U32(start);
    out.U32(size);
    out.U32(0);
}

} // namespace

std::string BuildCompoundFile(std::string_view streamName, std::string_view stream)
{
    const CCompoundFileLayout layout(streamName, stream.size());
    std::string file;
    file.reserve(layout.Head().size() + stream.size() + layout.Tail().size());
    file += layout.Head();
    file += stream;
    file += layout.Tail();
    return file;
}

CCompoundFileLayout::CCompoundFileLayout(std::string_view streamName, std::size_t streamSize)
{
    const bool mini = streamSize < kMiniCutoff;
    // Sectors in file order: the stream (or the mini stream), the mini FAT,
    // the directory, the FAT, the DIFAT.
    const std::size_t dataSectors = SectorsFor(mini ? SectorsFor(streamSize, kMiniSector) * kMiniSector
                                                    : streamSize, kSector);
    const std::size_t miniSectors = mini ? SectorsFor(streamSize, kMiniSector) : 0;
    const std::size_t miniFatSectors = mini ? std::max<std::size_t>(1, SectorsFor(miniSectors, kIdsPerSector)) : 0;
    const std::size_t dirSectors = 1;
    std::size_t fatSectors = 1;
    std::size_t difatSectors = 0;
    for (;;) {
        const std::size_t total = dataSectors + miniFatSectors + dirSectors + fatSectors + difatSectors;
        const std::size_t needFat = SectorsFor(total, kIdsPerSector);
        const std::size_t needDifat = needFat > kHeaderDifat ? SectorsFor(needFat - kHeaderDifat, kIdsPerSector - 1) : 0;
        if (needFat == fatSectors && needDifat == difatSectors)
            break;
        fatSectors = needFat;
        difatSectors = needDifat;
    }
    const std::uint32_t firstMiniFat = static_cast<std::uint32_t>(dataSectors);
    const std::uint32_t firstDir = firstMiniFat + static_cast<std::uint32_t>(miniFatSectors);
    const std::uint32_t firstFat = firstDir + static_cast<std::uint32_t>(dirSectors);
    const std::uint32_t firstDifat = firstFat + static_cast<std::uint32_t>(fatSectors);

    CByteBuffer out;
    out.Reserve(kSector * (1 + miniFatSectors + dirSectors + fatSectors + difatSectors));

    // Header.
    out.Raw(std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    for (int i = 0; i < 16; ++i)
        out.U8(0);
    out.U16(0x003E);
    out.U16(0x0003);
    out.U16(0xFFFE); // little-endian
    out.U16(9);      // 512-byte sectors
    out.U16(6);      // 64-byte mini sectors
    for (int i = 0; i < 6; ++i)
        out.U8(0);
    out.U32(0); // directory sectors (always 0 in version 3)
    out.U32(static_cast<std::uint32_t>(fatSectors));
    out.U32(firstDir);
    out.U32(0);
    out.U32(static_cast<std::uint32_t>(kMiniCutoff));
    out.U32(mini ? firstMiniFat : kEndOfChain);
    out.U32(static_cast<std::uint32_t>(miniFatSectors));
    out.U32(difatSectors ? firstDifat : kEndOfChain);
    out.U32(static_cast<std::uint32_t>(difatSectors));
    for (std::size_t i = 0; i < kHeaderDifat; ++i)
        out.U32(i < fatSectors ? firstFat + static_cast<std::uint32_t>(i) : kFree);

    // The stream's bytes follow, padded to whole sectors.
    m_head = std::move(out.Bytes());
    out.Bytes().clear();
    out.Bytes().assign((kSector - streamSize % kSector) % kSector, '\0');

    // The mini FAT: one chain through the mini stream.
    if (mini) {
        for (std::size_t i = 0; i < miniFatSectors * kIdsPerSector; ++i)
            out.U32(i + 1 < miniSectors ? static_cast<std::uint32_t>(i + 1) : i + 1 == miniSectors ? kEndOfChain : kFree);
    }

    // The directory: the root storage and the stream under it.
    if (mini) {
        AppendEntry(out, "Root Entry", 5, 1, dataSectors ? 0 : kEndOfChain,
                    static_cast<std::uint32_t>(miniSectors * kMiniSector));
        AppendEntry(out, streamName, 2, kNoStream, miniSectors ? 0 : kEndOfChain, static_cast<std::uint32_t>(streamSize));
    } else {
        AppendEntry(out, "Root Entry", 5, 1, kEndOfChain, 0);
        AppendEntry(out, streamName, 2, kNoStream, 0, static_cast<std::uint32_t>(streamSize));
    }
    AppendEntry(out, "", 0, kNoStream, 0, 0);
    AppendEntry(out, "", 0, kNoStream, 0, 0);

    // The FAT: the data chain, the mini FAT chain, the directory chain, then
    // the FAT's and DIFAT's own sectors.
    std::vector<std::uint32_t> fat(fatSectors * kIdsPerSector, kFree);
    const auto chain = [&](std::size_t first, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            fat[first + i] = i + 1 < count ? static_cast<std::uint32_t>(first + i + 1) : kEndOfChain;
    };
    chain(0, dataSectors);
    chain(firstMiniFat, miniFatSectors);
    chain(firstDir, dirSectors);
    for (std::size_t i = 0; i < fatSectors; ++i)
        fat[firstFat + i] = kFatSector;
    for (std::size_t i = 0; i < difatSectors; ++i)
        fat[firstDifat + i] = kDifatSector;
    for (std::uint32_t id : fat)
        out.U32(id);

    // DIFAT sectors: the FAT sectors past the header's 109, 127 a sector,
    // each sector ending with the next one's number.
    for (std::size_t d = 0; d < difatSectors; ++d) {
        for (std::size_t i = 0; i < kIdsPerSector - 1; ++i) {
            const std::size_t index = kHeaderDifat + d * (kIdsPerSector - 1) + i;
            out.U32(index < fatSectors ? firstFat + static_cast<std::uint32_t>(index) : kFree);
        }
        out.U32(d + 1 < difatSectors ? firstDifat + static_cast<std::uint32_t>(d + 1) : kEndOfChain);
    }
    m_tail = std::move(out.Bytes());
}
