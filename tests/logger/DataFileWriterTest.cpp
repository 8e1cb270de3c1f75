#include "common/ScriptedDialogs.h"
#include "logger/DataFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <sys/resource.h>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

DataSample Sample(const char* date, const char* time, double value, const char* unit)
{
    DataSample s;
    s.valid = 1;
    s.date = date;
    s.time = time;
    s.value = value;
    s.unit = unit;
    return s;
}

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Spit(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

class DataFileWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
    }

    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    CTempDir m_temp{"vxwriter"};
    const std::filesystem::path m_dir = m_temp.Path();
};

} // namespace

TEST(DataFileFormatTest, HeaderCarriesTheRateWithOneDecimal)
{
    EXPECT_EQ(FormatDataFileHeader(0.5), "ORVANTIS LX47 DATA LOGGER SamplingRate:0.5;");
    EXPECT_EQ(FormatDataFileHeader(1), "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;");
    EXPECT_EQ(FormatDataFileHeader(60), "ORVANTIS LX47 DATA LOGGER SamplingRate:60.0;");
    // A huge rate is written in full, not cut at some buffer size.
    const std::string huge = FormatDataFileHeader(1e300);
    EXPECT_EQ(huge.size(), std::string("ORVANTIS LX47 DATA LOGGER SamplingRate:").size() + 301 + 2 + 1); // 301 digits, ".0", ";"
    EXPECT_EQ(huge.back(), ';');
}

TEST(DataFileFormatTest, ValueIsFiveWideWithTwoDecimals)
{
    EXPECT_EQ(FormatDataFileLine(Sample("7-3-2007", "9:05:07", 100.0, "dBA")), "7-3-2007, 9:05:07, 100.00, dBA");
    EXPECT_EQ(FormatDataFileLine(Sample("7-3-2007", "9:05:07", 5.0, "dBA")), "7-3-2007, 9:05:07,  5.00, dBA");
    EXPECT_EQ(FormatDataFileLine(Sample("7-3-2007", "9:5:7", 9.5, "dBC")), "7-3-2007, 9:5:7,  9.50, dBC");
    EXPECT_EQ(FormatDataFileLine(Sample("17-12-2007", "23:59:59", 65.3, "dBA")), "17-12-2007, 23:59:59, 65.30, dBA");
    EXPECT_EQ(FormatDataFileLine(Sample("1-1-2008", "0:00:00", 120.4, "dBC")), "1-1-2008, 0:00:00, 120.40, dBC");
}

TEST(DataFileFormatTest, HostileTextLengthsAreWrittenWhole)
{
    const std::string longDate(100000, '7');
    const std::string longUnit(5000, 'U');
    DataSample s = Sample("", "9:05:07", 42.0, "");
    s.date = longDate;
    s.unit = longUnit;
    EXPECT_EQ(FormatDataFileLine(s), longDate + ", 9:05:07, 42.00, " + longUnit);
}

TEST_F(DataFileWriterTest, EmptyStoreWritesTheHeaderOnly)
{
    const fs::path file = m_dir / "empty.txt";
    const DataFileWriteResult r = WriteDataFile(file.string(), nullptr, 0, 0.5);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(Slurp(file), "ORVANTIS LX47 DATA LOGGER SamplingRate:0.5;\r\r\n");
    EXPECT_EQ(Entries(), std::vector<std::string>{"empty.txt"});
}

TEST_F(DataFileWriterTest, EveryLineEndsInCrCrLf)
{
    const DataSample samples[] = {Sample("7-3-2007", "9:05:07", 65.3, "dBA"), Sample("7-3-2007", "9:05:08", 5, "dBC")};
    const fs::path file = m_dir / "two.txt";
    ASSERT_TRUE(WriteDataFile(file.string(), samples, 2, 1).ok);
    EXPECT_EQ(Slurp(file), "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n"
                           "7-3-2007, 9:05:07, 65.30, dBA\r\r\n"
                           "7-3-2007, 9:05:08,  5.00, dBC\r\r\n");
}

TEST_F(DataFileWriterTest, CountLimitsTheSamplesWritten)
{
    const DataSample samples[] = {Sample("7-3-2007", "9:05:07", 65.3, "dBA"), Sample("7-3-2007", "9:05:08", 70, "dBA")};
    const fs::path file = m_dir / "one.txt";
    ASSERT_TRUE(WriteDataFile(file.string(), samples, 1, 60).ok);
    EXPECT_EQ(Slurp(file), "ORVANTIS LX47 DATA LOGGER SamplingRate:60.0;\r\r\n7-3-2007, 9:05:07, 65.30, dBA\r\r\n");
    ASSERT_TRUE(WriteDataFile(file.string(), samples, -3, 60).ok);
    EXPECT_EQ(Slurp(file), "ORVANTIS LX47 DATA LOGGER SamplingRate:60.0;\r\r\n");
}

TEST_F(DataFileWriterTest, ReplacesAnExistingFileAndKeepsItsMode)
{
    const fs::path file = m_dir / "old.txt";
    Spit(file, std::string(10000, 'x'));
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    const DataSample s = Sample("7-3-2007", "9:05:07", 65.3, "dBA");
    ASSERT_TRUE(WriteDataFile(file.string(), &s, 1, 1).ok);
    EXPECT_EQ(Slurp(file), "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n7-3-2007, 9:05:07, 65.30, dBA\r\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Entries(), std::vector<std::string>{"old.txt"});
}

TEST_F(DataFileWriterTest, SavingThroughALinkReplacesTheLinkedFile)
{
    const fs::path real = m_dir / "real.txt";
    const fs::path link = m_dir / "link.txt";
    Spit(real, "old");
    fs::create_symlink(real, link);
    ASSERT_TRUE(WriteDataFile(link.string(), nullptr, 0, 1).ok);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Slurp(real), "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n");
}

TEST_F(DataFileWriterTest, FailuresNameTheFileAndTheReason)
{
    const fs::path missing = m_dir / "no-such-folder" / "data.txt";
    DataFileWriteResult r = WriteDataFile(missing.string(), nullptr, 0, 1);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(missing.string()), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("No such file or directory"), std::string::npos) << r.error;

    fs::create_directory(m_dir / "folder.txt");
    r = WriteDataFile((m_dir / "folder.txt").string(), nullptr, 0, 1);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("Is a directory"), std::string::npos) << r.error;
    EXPECT_TRUE(fs::is_directory(m_dir / "folder.txt"));

    // A device is refused rather than renamed over.
    r = WriteDataFile("/dev/null", nullptr, 0, 1);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    // A write-protected file is kept, reached directly or through a link,
    // whoever saves (the tests may run as root, who could replace it).
    const fs::path locked = m_dir / "locked.txt";
    Spit(locked, "old readings");
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    fs::create_symlink(locked, m_dir / "to-locked.txt");
    for (const fs::path& target : {locked, m_dir / "to-locked.txt"}) {
        r = WriteDataFile(target.string(), nullptr, 0, 1);
        EXPECT_FALSE(r.ok) << target;
        EXPECT_NE(r.error.find("\"" + target.string() + "\" could not be saved: the file is write-protected."),
                  std::string::npos)
            << r.error;
        EXPECT_EQ(Slurp(locked), "old readings");
    }
    EXPECT_EQ(Entries(), (std::vector<std::string>{"folder.txt", "locked.txt", "to-locked.txt"}));
}

TEST_F(DataFileWriterTest, AFullDiskLeavesTheOldFileIntact)
{
    const fs::path file = m_dir / "keep.txt";
    const std::string old = "ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n7-3-2007, 9:05:07, 65.30, dBA\r\r\n";
    Spit(file, old);
    std::vector<DataSample> samples(40000, Sample("7-3-2007", "9:05:07", 65.3, "dBA"));

    // A file size limit makes writes fail with EFBIG even for root, like a full disk.
    rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const DataFileWriteResult r = WriteDataFile(file.string(), samples.data(), 40000, 1);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(file.string()), std::string::npos) << r.error;
    EXPECT_NE(r.error.find("too large"), std::string::npos) << r.error;
    EXPECT_EQ(Slurp(file), old);
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.txt"}); // the temporary is gone
}

TEST_F(DataFileWriterTest, SaveDataFileAsksThroughTheSaveDialog)
{
    CScriptedDialogs dialogs;
    const DataSample s = Sample("7-3-2007", "9:05:07", 65.3, "dBA");
    EXPECT_FALSE(SaveDataFile(dialogs, &s, 1, 1)); // cancelled
    ASSERT_EQ(dialogs.FileRequests().size(), 1u);
    const FileDialogRequest& request = dialogs.FileRequests()[0];
    EXPECT_EQ(request.filter, "Data File(*.txt)");
    EXPECT_EQ(request.initialName, "*.txt");
    EXPECT_EQ(request.defaultExtension, "txt");
    EXPECT_TRUE(request.promptOverwrite);
    EXPECT_TRUE(dialogs.Messages().empty());
    EXPECT_TRUE(Entries().empty());

    const fs::path file = m_dir / "saved.txt";
    dialogs.QueueSavePath(file.string());
    EXPECT_TRUE(SaveDataFile(dialogs, &s, 1, 0.5));
    EXPECT_TRUE(dialogs.Messages().empty()); // no message on success
    EXPECT_EQ(Slurp(file), "ORVANTIS LX47 DATA LOGGER SamplingRate:0.5;\r\r\n7-3-2007, 9:05:07, 65.30, dBA\r\r\n");
}

TEST_F(DataFileWriterTest, SaveDataFileReportsAFileThatCannotBeCreated)
{
    CScriptedDialogs dialogs;
    const fs::path file = m_dir / "gone" / "saved.txt";
    dialogs.QueueSavePath(file.string());
    EXPECT_FALSE(SaveDataFile(dialogs, nullptr, 0, 1));
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    const auto& shown = dialogs.Messages()[0];
    EXPECT_EQ(shown.caption, "LX47");
    EXPECT_EQ(shown.buttons, MsgButtons::Ok);
    EXPECT_NE(shown.text.find(file.string()), std::string::npos) << shown.text;
    EXPECT_NE(shown.text.find("No such file or directory"), std::string::npos) << shown.text;
}
