// The recovery journal: written as readings are taken, flushed to disk at
// most once a second, read back strictly whatever damage it took, locked
// while its program lives, and given back to a recorder as it was recorded.
#include "logger/DataFileWriter.h"
#include "monitor/RecordingJournal.h"
#include "tests/monitor/RealTimeControllerTestFixture.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <fstream>

namespace {

void WriteAll(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

const std::string kHeader = "ORVANTIS LX47 DATA LOGGER SamplingRate:0.5;\r\r\n";
const std::string kLine1 = "12-5-2007, 10:00:00, 85.30, dBA\r\r\n";
const std::string kLine2 = "12-5-2007, 10:00:01, 86.10, dBA\r\r\n";
const std::string kNulLine("12-5-2007, 10:00:00, 8\0\0.30, dBA\r\r\n", 35);

TEST(RecordingJournal, DamageLeavesEveryWholeReadingAndCountsTheRest)
{
    CTempDir dir("vx_journal");
    const std::string path = dir.File("damaged.journal");
    struct Case {
        const char* what;
        std::string text;
        int readings;
        int damaged;
        double rate;
    };
    const Case cases[] = {
        {"intact", kHeader + kLine1 + kLine2, 2, 0, 0.5},
        {"cut in the last line", kHeader + kLine1 + kLine2.substr(0, 17), 1, 1, 0.5},
        {"cut before its line end", kHeader + kLine1 + kLine2.substr(0, kLine2.size() - 1), 1, 1, 0.5},
        {"garbage between readings", kHeader + kLine1 + "\x01\xff garbage\r\r\n" + kLine2, 2, 1, 0.5},
        {"NULs inside a value", kHeader + kNulLine + kLine2, 1, 1, 0.5},
        {"a value that is no number", kHeader + "12-5-2007, 10:00:00, 85,30, dBA\r\r\n" + kLine2, 1, 1, 0.5},
        {"a unit of its own", kHeader + "12-5-2007, 10:00:00, 85.30, dBX\r\r\n" + kLine1, 1, 1, 0.5},
        {"a line far too long", kHeader + std::string(100000, '7') + "\r\r\n" + kLine1, 1, 1, 0.5},
        {"a damaged header", "ORVANT\r\r\n" + kLine1, 1, 1, 0.0},
        {"header only", kHeader, 0, 0, 0.5},
        {"empty", "", 0, 0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteAll(path, c.text);
        const JournalContents contents = ReadJournal(path, 40000);
        ASSERT_TRUE(contents.opened);
        EXPECT_EQ(static_cast<int>(contents.samples.size()), c.readings);
        EXPECT_EQ(contents.damagedLines, c.damaged);
        EXPECT_DOUBLE_EQ(contents.rate, c.rate);
    }
    // Readings beyond the store's size are left out and counted.
    WriteAll(path, kHeader + kLine1 + kLine2 + kLine1);
    EXPECT_EQ(ReadJournal(path, 2).damagedLines, 1);
}

TEST(RecordingJournal, ALockedJournalIsNotOrphanedAndAnEndedOneIsTakenOnce)
{
    CTempDir dir("vx_journal");
    CManualClock clock;
    CRecordingJournal living(clock);
    ASSERT_TRUE(living.BeginInFolder(dir.Path().string(), 0.5)) << living.Error();
    // A second program in the folder leaves the first one's journal alone.
    CRecordingJournal other(clock);
    EXPECT_FALSE(other.TakeOrphan(dir.Path().string()));

    // Once its program has ended (the file closed, its lock gone) it is orphaned,
    // and only one program at a time can take it.
    const std::string path = living.Path();
    living.Close();
    ASSERT_TRUE(std::filesystem::exists(path));
    ASSERT_TRUE(other.TakeOrphan(dir.Path().string()));
    EXPECT_EQ(other.Path(), path);
    CRecordingJournal third(clock);
    EXPECT_FALSE(third.TakeOrphan(dir.Path().string()));
    other.Remove();
    EXPECT_FALSE(std::filesystem::exists(path));
}

class JournalledRecording : public RealTimeControllerFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.IsValid());
        controller.SetJournal(&journal, dir.Path().string());
    }
    std::vector<std::string> Journals() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(entry.path().string());
        return names;
    }

    CTempDir dir{"vx_journal"};
    CRecordingJournal journal{clock};
};

TEST_F(JournalledRecording, EveryReadingIsOnDiskAsTakenAndComesBackAsRecorded)
{
    controller.Run();
    SetMeterClock(10, 0, 0);
    const std::uint8_t readings[][2] = {{0x08, 0x53}, {0x09, 0x01}, {0x07, 0x20}, {0x09, 0x01}, {0x07, 0x20}};
    int second = 0;
    for (const auto& bytes : readings) {
        SetMeterClock(10, 0, second++);
        clock.AdvanceMs(300);
        Display(bytes[0], bytes[1]);
        controller.BlockDecoded();
        // Each reading is in the file as soon as it is taken, whole.
        ASSERT_EQ(ReadJournal(journal.Path(), 40000).samples.size(), static_cast<std::size_t>(Count()));
    }
    // 1.2 s of readings: flushed to disk with the first and once the second had passed.
    EXPECT_EQ(journal.Syncs(), 2);
    EXPECT_TRUE(controller.HasUnsavedReadings());

    // The program ends without saving (its journal closed, not removed); the
    // next one gets the same store and statistics back from it.
    const std::vector<DataSample> recorded(controller.Store().Data(), controller.Store().Data() + Count());
    const RealTimeStatisticsTexts statistics = controller.StatisticsTexts();
    journal.Close();
    controller.Clean();
    controller.SetParameters(2.0, 100);
    ASSERT_EQ(Count(), 0);
    CRecordingJournal orphan(clock);
    ASSERT_TRUE(orphan.TakeOrphan(dir.Path().string()));
    ASSERT_TRUE(controller.Restore(ReadJournal(orphan.Path(), 40000)));
    orphan.Remove();
    ASSERT_EQ(Count(), static_cast<int>(recorded.size()));
    for (int i = 0; i < Count(); ++i) {
        EXPECT_EQ(FormatDataFileLine(Slot(i)), FormatDataFileLine(recorded[static_cast<std::size_t>(i)]));
        EXPECT_EQ(Slot(i).valid, 1);
    }
    const auto before = statistics.ByControlId();
    const RealTimeStatisticsTexts restored = controller.StatisticsTexts();
    const auto after = restored.ByControlId();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(*after[i].second, *before[i].second) << "field " << before[i].first;
    EXPECT_DOUBLE_EQ(controller.SamplingPeriod(), 0.5);
    EXPECT_TRUE(controller.HasUnsavedReadings());
    // The recovered readings are journalled again, by the program that took them.
    EXPECT_EQ(Journals(), std::vector<std::string>{journal.Path()});
    EXPECT_EQ(ReadJournal(journal.Path(), 40000).samples.size(), recorded.size());
}

TEST_F(JournalledRecording, SavingOrCleaningEndsTheJournal)
{
    for (const bool clean : {false, true}) {
        SCOPED_TRACE(clean);
        controller.Run();
        SetMeterClock(10, 0, 0);
        Display(0x08, 0x53);
        SetMeterClock(10, 0, 1);
        Display(0x08, 0x54);
        ASSERT_EQ(Journals().size(), 1u);
        controller.Stop();
        if (clean) {
            controller.Clean();
        } else {
            ASSERT_TRUE(controller.Save());
        }
        EXPECT_FALSE(controller.HasUnsavedReadings());
        EXPECT_TRUE(Journals().empty());
    }
}

TEST_F(JournalledRecording, AJournalThatCannotBeWrittenIsSaidOnceAfterTheBlockAndRecordingGoesOn)
{
    controller.SetJournal(&journal, dir.File("no such folder"));
    controller.Run();
    for (int second = 0; second < 3; ++second) {
        SetMeterClock(10, 0, second);
        Display(0x08, 0x53);
    }
    EXPECT_EQ(Count(), 3);
    EXPECT_TRUE(dialogs.Messages().empty()); // not from inside the receive path
    RunPosted();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_NE(dialogs.Messages()[0].text.find("could not be created"), std::string::npos);
    EXPECT_NE(dialogs.Messages()[0].text.find("kept in memory only"), std::string::npos);
}

} // namespace
