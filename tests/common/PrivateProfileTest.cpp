#include "common/PrivateProfile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

class PrivateProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
        m_path = (m_dir / "TempPort.ini").string();
    }

    void WriteRaw(const std::string& content) const
    {
        std::ofstream out(m_path, std::ios::binary);
        out << content;
    }
    std::string ReadRaw() const
    {
        std::ifstream in(m_path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    CTempDir m_temp{"vx_profile"};
    const std::filesystem::path m_dir = m_temp.Path();
    std::string m_path;
};

TEST_F(PrivateProfileTest, ReadsAFileWrittenOnWindows)
{
    WriteRaw("[Port Record]\r\nPort=3\r\n");
    const CPrivateProfile profile(m_path);
    EXPECT_EQ(profile.ReadString("Port Record", "Port"), "3");
    // Names compare without regard to case.
    EXPECT_EQ(profile.ReadString("PORT RECORD", "port"), "3");
    EXPECT_EQ(profile.ReadString("Port Record", "Baud"), std::nullopt);
    EXPECT_EQ(profile.ReadString("Other", "Port"), std::nullopt);
}

TEST_F(PrivateProfileTest, MissingFileHasNoValueAndIsCreatedByWriting)
{
    const CPrivateProfile profile(m_path);
    EXPECT_EQ(profile.ReadString("Port Record", "Port"), std::nullopt);
    ASSERT_TRUE(profile.WriteString("Port Record", "Port", "12"));
    // The section name is written literally, with CRLF line ends.
    EXPECT_EQ(ReadRaw(), "[Port Record]\r\nPort=12\r\n");
    EXPECT_EQ(profile.ReadString("Port Record", "Port"), "12");
}

TEST_F(PrivateProfileTest, LfFilesAndBlanksAroundNamesAndValues)
{
    WriteRaw("; written by hand\n[ port record ]\n  Port  =  7  \nName=\"a b\"\n");
    const CPrivateProfile profile(m_path);
    EXPECT_EQ(profile.ReadString("Port Record", "Port"), "7");
    EXPECT_EQ(profile.ReadString("Port Record", "Name"), "a b");
}

TEST_F(PrivateProfileTest, WritingKeepsEverythingElse)
{
    WriteRaw("; settings\r\n[Port Devices]\r\n12=/tmp/ttyLX47\r\n\r\n[port record]\r\nport=3\r\nOther=x\r\n\r\n"
             "[Last]\r\nPort=5\r\n");
    const CPrivateProfile profile(m_path);
    ASSERT_TRUE(profile.WriteString("Port Record", "Port", "12"));
    // The key keeps its spelling; the same key in another section is untouched.
    EXPECT_EQ(ReadRaw(), "; settings\r\n[Port Devices]\r\n12=/tmp/ttyLX47\r\n\r\n[port record]\r\nport=12\r\nOther=x\r\n"
                         "\r\n[Last]\r\nPort=5\r\n");

    ASSERT_TRUE(profile.WriteString("Port Record", "Baud", "9600"));
    ASSERT_TRUE(profile.WriteString("New Section", "Key", "v"));
    EXPECT_EQ(ReadRaw(), "; settings\r\n[Port Devices]\r\n12=/tmp/ttyLX47\r\n\r\n[port record]\r\nport=12\r\nOther=x\r\n"
                         "Baud=9600\r\n\r\n[Last]\r\nPort=5\r\n\r\n[New Section]\r\nKey=v\r\n");
    EXPECT_EQ(profile.ReadString("Last", "Port"), "5");
    EXPECT_EQ(profile.ReadString("Port Devices", "12"), "/tmp/ttyLX47");
}

TEST_F(PrivateProfileTest, LfFileIsRewrittenWithCrlf)
{
    WriteRaw("[Port Record]\nPort=3");
    ASSERT_TRUE(CPrivateProfile(m_path).WriteString("Port Record", "Port", "4"));
    EXPECT_EQ(ReadRaw(), "[Port Record]\r\nPort=4\r\n");
}

TEST_F(PrivateProfileTest, RefusesWhatWouldBreakTheFile)
{
    WriteRaw("[Port Record]\r\nPort=3\r\n");
    const CPrivateProfile profile(m_path);
    EXPECT_FALSE(profile.WriteString("Port Record", "Port", "1\r\n[Evil]"));
    EXPECT_FALSE(profile.WriteString("Port]x", "Port", "1"));
    EXPECT_FALSE(profile.WriteString("Port Record", "a=b", "1"));
    EXPECT_FALSE(profile.WriteString("", "Port", "1"));
    EXPECT_EQ(ReadRaw(), "[Port Record]\r\nPort=3\r\n");
}

TEST_F(PrivateProfileTest, AFileThatIsNotAFileIsLeftAlone)
{
    // A folder in the place of the file: nothing to read, and no write over it.
    std::filesystem::create_directory(m_path);
    const CPrivateProfile profile(m_path);
    EXPECT_EQ(profile.ReadString("Port Record", "Port"), std::nullopt);
    EXPECT_FALSE(profile.WriteString("Port Record", "Port", "1"));
    EXPECT_TRUE(std::filesystem::is_directory(m_path));
}

TEST_F(PrivateProfileTest, AnOversizedFileIsRefusedNotTruncated)
{
    const std::string big = "[Port Record]\r\nPort=3\r\n" + std::string(CPrivateProfile::kMaxFileSize, ';');
    WriteRaw(big);
    const CPrivateProfile profile(m_path);
    EXPECT_EQ(profile.ReadString("Port Record", "Port"), std::nullopt);
    EXPECT_FALSE(profile.WriteString("Port Record", "Port", "4"));
    EXPECT_EQ(ReadRaw().size(), big.size());
}

TEST_F(PrivateProfileTest, SavingGoesThroughATemporaryFileOfItsOwn)
{
    // Whatever lies at the names a careless writer would use is left alone:
    // a link to another file (which would be written through) and a file of
    // another program saving in the same folder.
    const std::filesystem::path victim = m_dir / "victim.txt";
    { std::ofstream(victim) << "keep me"; }
    std::filesystem::create_symlink(victim, m_path + ".tmp");
    WriteRaw("[Port Record]\r\nPort=3\r\n");

    const CPrivateProfile profile(m_path);
    ASSERT_TRUE(profile.WriteString("Port Record", "Port", "7"));
    EXPECT_EQ(ReadRaw(), "[Port Record]\r\nPort=7\r\n");
    EXPECT_FALSE(std::filesystem::is_symlink(m_path));
    std::ifstream in(victim);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "keep me");
    EXPECT_TRUE(std::filesystem::is_symlink(m_path + ".tmp"));
    // Nothing else is left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir))
        ++entries;
    EXPECT_EQ(entries, 3);
}

} // namespace
