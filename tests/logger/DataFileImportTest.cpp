#include "common/ScriptedDialogs.h"
#include "logger/DataFile.h"
#include "logger/DataFileSummary.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const std::string kHeader = "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n";

class DataFileImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
    }

    std::string File(const std::string& bytes)
    {
        const fs::path path = m_dir / "data.txt";
        std::ofstream out(path, std::ios::binary);
        out << bytes;
        return path.string();
    }

    CTempDir m_temp{"vximport"};
    const std::filesystem::path m_dir = m_temp.Path();
    CScriptedDialogs m_dialogs;
    int m_accepted = 0;
    std::size_t m_messagesWhenAccepted = 0;

    std::optional<DataFileImport> Import()
    {
        std::optional<DataFileImport> taken;
        const bool imported = ImportDataFile(m_dialogs, [this, &taken](DataFileImport data) {
            ++m_accepted;
            m_messagesWhenAccepted = m_dialogs.Messages().size();
            taken = std::move(data);
        });
        EXPECT_EQ(imported, taken.has_value());
        return taken;
    }
};

} // namespace

TEST_F(DataFileImportTest, CancelReadsNothing)
{
    EXPECT_FALSE(Import().has_value());
    ASSERT_EQ(m_dialogs.FileRequests().size(), 1u);
    EXPECT_EQ(m_dialogs.FileRequests()[0].filter, "Data File(*.txt)");
    EXPECT_EQ(m_dialogs.FileRequests()[0].initialName, "*.txt");
    EXPECT_EQ(m_dialogs.FileRequests()[0].defaultExtension, "txt");
    EXPECT_TRUE(m_dialogs.Messages().empty());
    EXPECT_EQ(m_accepted, 0);
}

TEST_F(DataFileImportTest, WrongSignatureIsReportedAndNothingIsReleased)
{
    m_dialogs.QueueOpenPath(File("orvantis lx47 data logger SamplingRate:1.0;\r\r\n"));
    EXPECT_FALSE(Import().has_value());
    ASSERT_EQ(m_dialogs.Messages().size(), 1u);
    EXPECT_EQ(m_dialogs.Messages()[0].caption, "LX47");
    EXPECT_EQ(m_dialogs.Messages()[0].text, "Data Format is wrong!");
    EXPECT_EQ(m_dialogs.Messages()[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(m_accepted, 0);
}

TEST_F(DataFileImportTest, ConfirmsOnceTheFileIsReadAndTaken)
{
    m_dialogs.QueueOpenPath(File(kHeader + "7-3-2007, 9:05:07, 65.30, dBA\r\r\n8-3-2007, 9:5:8, 70.10, dBC\r\r\n"));
    const std::optional<DataFileImport> d = Import();
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(m_dialogs.MessageTexts(), std::vector<std::string>{"Data has been imported."});
    EXPECT_EQ(m_dialogs.Messages()[0].caption, "LX47");
    EXPECT_EQ(m_dialogs.Messages()[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(m_accepted, 1);
    EXPECT_EQ(m_messagesWhenAccepted, 0u) << "the window shows the import before it is confirmed";
    EXPECT_EQ(d->count, 2);
    EXPECT_EQ(d->SetCount(), 2);
}

TEST_F(DataFileImportTest, DamagedLinesAreToldAfterTheConfirmation)
{
    m_dialogs.QueueOpenPath(File(kHeader + "7-3-2007, 9:05:07, 65.30, dBA\r\r\n7-3-2007, 9:05:0\r\r\n"
                                           "7-3-2007, 9:05:09, 66.30, dBA\r\r\n"));
    const std::optional<DataFileImport> d = Import();
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->count, 2);
    EXPECT_EQ(m_dialogs.MessageTexts(),
              (std::vector<std::string>{"Data has been imported.", "line 3 is damaged: it ends before its unit\n"
                                                                   "That line was left out; the rest of the file was read."}));
}

TEST_F(DataFileImportTest, TruncationIsToldAfterTheConfirmation)
{
    std::string bytes = kHeader;
    for (int i = 0; i < kImportStoreSize + 1; ++i)
        bytes += "7-3-2007, 9:05:07, 65.30, dBA\r\r\n";
    m_dialogs.QueueOpenPath(File(bytes));
    const std::optional<DataFileImport> d = Import();
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->count, kImportStoreSize);
    EXPECT_EQ(m_dialogs.MessageTexts(),
              (std::vector<std::string>{"Data has been imported.", "The file holds more than 40000 readings; only the "
                                                                   "first 40000 were imported. Lines left out: 1."}));
}

TEST_F(DataFileImportTest, AFileThatCannotBeOpenedIsNamed)
{
    const std::string missing = (m_dir / "nothing.txt").string();
    m_dialogs.QueueOpenPath(missing);
    EXPECT_FALSE(Import().has_value());
    ASSERT_EQ(m_dialogs.Messages().size(), 1u);
    EXPECT_EQ(m_dialogs.Messages()[0].caption, "LX47");
    EXPECT_NE(m_dialogs.Messages()[0].text.find(missing), std::string::npos);
    EXPECT_EQ(m_accepted, 0);
}

TEST_F(DataFileImportTest, SummaryListsSetsAndStatistics)
{
    const std::string path = File("ORVANTIS LX47 DATA LOGGER SamplingRate:0.5;\r\r\n"
                                  "7-3-2007, 9:05:07, 65.30, dBA\r\r\n"
                                  "7-3-2007, 9:05:08, 88.10, dBA\r\r\n"
                                  "17-12-2007, 19:5:0, 40.20, dBC\r\r\n");
    const DataFileReadResult r = ReadDataFile(path);
    ASSERT_EQ(r.status, DataFileReadStatus::Ok);
    EXPECT_EQ(DataFileSummaryLines(r.data), (std::vector<std::string>{
                                                "Sampling rate: 0.5 s",
                                                "Samples: 3",
                                                "Record sets: 2",
                                                "Set 1: 0..1, dBA, 2007-03-07 09:05:07, 2 samples",
                                                "Set 2: 2..2, dBC, 2007-12-17 19:05:00, 1 sample",
                                                "Average: 64.53",
                                                "Maximum: 88.10 @ 09:05:08",
                                                "Minimum: 40.20 @ 19:05:00",
                                            }));

    const DataFileReadResult empty = ReadDataFile(File(kHeader));
    EXPECT_EQ(DataFileSummaryLines(empty.data),
              (std::vector<std::string>{"Sampling rate: 1.0 s", "Samples: 0", "Record sets: 0", "Average: none",
                                        "Maximum: none", "Minimum: none"}));
}

TEST(WrittenReadingsTextTest, CountsWithThousandsAndNamesTheFileWithoutItsFolder)
{
    const struct {
        int count;
        const char* path;
        const char* text;
    } cases[] = {
        {1, "/home/me/street.txt", "Saved 1 reading to street.txt"},
        {0, "street.txt", "Saved 0 readings to street.txt"},
        {999, "/a/b.txt", "Saved 999 readings to b.txt"},
        {1234, "/tmp/x/street.txt", "Saved 1,234 readings to street.txt"},
        {40000, "street.txt", "Saved 40,000 readings to street.txt"},
        {1234567, "s.txt", "Saved 1,234,567 readings to s.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WrittenReadingsText("Saved", c.count, c.path), c.text);
}
