// The BIFF8 records on their own: a shared-string table written across
// CONTINUE records (long, wide and many strings) read back string by string
// where each starts, and substreams with a chart nested inside.
#include "workbook/BiffRecords.h"
#include "workbook/BiffSharedStrings.h"
#include "workbook/BiffStream.h"

#include <gtest/gtest.h>

namespace {

TEST(BiffRecordsTest, SharedStringsSplitOverContinueRecordsReadBackWhereEachStarts)
{
    std::vector<std::string> texts{"Date", "", "\xC3\xA4\xE2\x82\xAC wide", std::string(20000, 'x')};
    for (int i = 0; i < 3000; ++i)
        texts.push_back("row " + std::to_string(i));
    texts.push_back(std::string(9000, 'y') + "\xE2\x82\xAC"); // wide, split across records
    std::vector<std::string_view> views(texts.begin(), texts.end());
    CByteBuffer out;
    AppendSharedStrings(out, views, 12345);

    std::vector<BiffRecord> records;
    std::vector<std::string_view> data;
    for (std::size_t at = 0; at + 4 <= out.Size();) {
        BiffRecord record;
        record.opcode = BiffU16(out.Bytes(), at);
        record.at = at;
        record.data = std::string_view(out.Bytes()).substr(at + 4, BiffU16(out.Bytes(), at + 2));
        ASSERT_LE(record.data.size(), Biff::kMaxRecordData);
        if (record.opcode == Biff::kSst || record.opcode == Biff::kContinue)
            data.push_back(record.data);
        records.push_back(record);
        at = record.End();
    }
    ASSERT_GT(data.size(), 3u);
    EXPECT_EQ(BiffU32(data[0], 0), 12345u);
    std::vector<BiffSharedString> strings;
    ASSERT_TRUE(ReadBiffSharedStrings(data, strings));
    ASSERT_EQ(strings.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(strings[i].text, texts[i]) << i;
        // Where a string starts, its length stands.
        const std::string_view at = data[strings[i].record].substr(strings[i].offset);
        EXPECT_GE(at.size(), 3u) << i;
    }
    // EXTSST names every bucket's first string by where it stands in the stream.
    const BiffRecord& ext = records.back();
    ASSERT_EQ(ext.opcode, Biff::kExtSst);
    const std::size_t perBucket = BiffU16(ext.data, 0);
    for (std::size_t b = 0; 2 + 8 * b + 8 <= ext.data.size(); ++b) {
        const BiffSharedString& first = strings[b * perBucket];
        const BiffRecord& holder = records[first.record];
        EXPECT_EQ(BiffU32(ext.data, 2 + 8 * b), holder.at + 4 + first.offset) << b;
        EXPECT_EQ(BiffU16(ext.data, 6 + 8 * b), 4 + first.offset) << b;
    }

    // A table cut short is refused.
    data.pop_back();
    EXPECT_FALSE(ReadBiffSharedStrings(data, strings));
}

TEST(BiffRecordsTest, ASubstreamRunsToItsOwnEofAroundANestedOne)
{
    CByteBuffer out;
    const std::string bof("\x00\x06\x10\x00", 4);
    out.Record(Biff::kBof, bof);
    out.Record(Biff::kDimensions, std::string(14, '\0'));
    out.Record(Biff::kBof, bof); // an embedded chart
    out.Record(Biff::kEof, {});
    out.Record(Biff::kWindow2, std::string(18, '\0'));
    out.Record(Biff::kEof, {});
    out.Record(Biff::kBof, bof); // the next sheet
    std::vector<BiffRecord> records;
    ASSERT_TRUE(ReadBiffSubstream(out.Bytes(), 0, records));
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records.back().opcode, Biff::kEof);
    EXPECT_EQ(records[4].opcode, Biff::kWindow2);

    // Cut short, not starting at a BOF, or a length past the end: refused.
    EXPECT_FALSE(ReadBiffSubstream(std::string_view(out.Bytes()).substr(0, records[4].at), 0, records));
    EXPECT_FALSE(ReadBiffSubstream(out.Bytes(), records[1].at, records));
    std::string longer = out.Bytes();
    longer[2] = static_cast<char>(0xFF);
    EXPECT_FALSE(ReadBiffSubstream(longer, 0, records));
}

} // namespace
