// The compound file on its own: the new-file layout read back by our reader
// (every size across the mini-stream cutoff and the 109-sector header), the
// directory's unused entries, and a file laid out anew from another's
// directory keeping every stream and entry.
#include "workbook/CompoundFile.h"
#include "workbook/CompoundFileReader.h"

#include <gtest/gtest.h>

namespace {

std::string Pattern(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

TEST(CompoundFileTest, OneStreamOfAnySizeReadsBackWholeAndUnusedEntriesAreBlank)
{
    // 0, under and over the mini cutoff, and past 109 FAT sectors (DIFAT).
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4095}, std::size_t{4096},
                                   std::size_t{513 * 1024}, std::size_t{7 * 1024 * 1024 + 3}}) {
        const std::string stream = Pattern(size);
        const std::string file = BuildCompoundFile("Workbook", stream);
        ASSERT_EQ(file.size() % 512, 0u) << size;
        CCompoundFileReader reader;
        std::string error;
        ASSERT_TRUE(reader.Open(file, &error)) << size << ": " << error;
        const int entry = reader.FindRootStream(u"WORKBOOK");
        ASSERT_GE(entry, 0) << size;
        std::string back;
        ASSERT_TRUE(reader.ReadStream(static_cast<std::size_t>(entry), back, &error)) << size << ": " << error;
        EXPECT_TRUE(back == stream) << size;
        for (const CompoundEntry& e : reader.Entries()) {
            if (e.type != CompoundEntry::Unused)
                continue;
            EXPECT_EQ(e.raw[67], 0) << "colour of an unused entry, size " << size;
            EXPECT_EQ(e.left, CompoundEntry::kNone);
            EXPECT_EQ(e.child, CompoundEntry::kNone);
        }
    }
}

TEST(CompoundFileTest, AFileLaidOutAnewKeepsEveryEntryAndStreamButTheOneReplaced)
{
    CCompoundFileReader first;
    std::string error;
    const std::string original = BuildCompoundFile("Workbook", Pattern(5000));
    ASSERT_TRUE(first.Open(original, &error)) << error;
    // A second, small stream beside the first, as document properties are.
    std::vector<CompoundEntry> entries = first.Entries();
    CompoundEntry properties = entries[1];
    const std::u16string name = u"\x05SummaryInformation";
    properties.raw.replace(0, 64, std::string(64, '\0'));
    for (std::size_t i = 0; i < name.size(); ++i)
        properties.raw[2 * i] = static_cast<char>(name[i] & 0xFF);
    properties.raw[64] = static_cast<char>((name.size() + 1) * 2);
    entries[1].raw.replace(72, 4, std::string("\x02\0\0\0", 4)); // "Workbook" has it as right sibling
    entries[2] = properties;
    std::vector<std::string> contents(entries.size());
    contents[1] = Pattern(70000);
    contents[2] = "properties";
    const std::string file = BuildCompoundFileFrom(entries, contents);

    CCompoundFileReader again;
    ASSERT_TRUE(again.Open(file, &error)) << error;
    ASSERT_EQ(again.Entries().size() % 4, 0u);
    std::string back;
    ASSERT_TRUE(again.ReadStream(static_cast<std::size_t>(again.FindRootStream(u"Workbook")), back, &error)) << error;
    EXPECT_TRUE(back == contents[1]);
    const int props = again.FindRootStream(name);
    ASSERT_GE(props, 0);
    ASSERT_TRUE(again.ReadStream(static_cast<std::size_t>(props), back, &error)) << error;
    EXPECT_EQ(back, "properties");
    // Every entry's bytes stay but where its stream starts and how long it is.
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(again.Entries()[i].raw.substr(0, 116), entries[i].raw.substr(0, 116)) << i;
}

TEST(CompoundFileTest, DamagedFilesAreRefusedWithAReason)
{
    const std::string good = BuildCompoundFile("Workbook", Pattern(10000));
    std::string badShift = good;
    badShift[0x1E] = 3;
    std::string badDirectory = good;
    badDirectory[0x30] = static_cast<char>(0x7F);
    std::string loop = good;
    // The FAT's first entry pointing at itself makes the stream's chain a loop.
    const std::size_t fat = (static_cast<unsigned char>(good[0x4C]) + 1) * 512;
    loop.replace(fat, 4, std::string("\0\0\0\0", 4));
    for (const std::string* file : {&badShift, &badDirectory, &loop}) {
        CCompoundFileReader reader;
        std::string error;
        std::string back;
        const bool opened = reader.Open(*file, &error);
        const bool read = opened && reader.ReadStream(1, back, &error);
        EXPECT_FALSE(read);
        EXPECT_FALSE(error.empty());
    }
    CCompoundFileReader reader;
    std::string error;
    EXPECT_FALSE(reader.Open("not a compound file", &error));
}

} // namespace
