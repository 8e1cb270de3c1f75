// Files a save left beside its target when its program was killed: cleared
// by the next save of that target when they are ours and nobody owns them.
#include "common/TempFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// The number of a process that has ended.
pid_t EndedProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(TempFile, ASaveClearsTheTemporariesAKilledSaveOfItsTargetLeft)
{
    CTempDir dir("vx_tempfile");
    ASSERT_TRUE(dir.IsValid());
    const std::string dead = std::to_string(EndedProcess());
    const std::string living = std::to_string(::getppid());
    const struct {
        std::string name;
        bool cleared;
    } files[] = {
        {".street.txt." + dead + ".0.1f3a.tmp", true},
        {".street.txt." + living + ".0.1f3a.tmp", false}, // its program still runs
        {".other.txt." + dead + ".0.1f3a.tmp", false},    // another file's
        {".street.txt." + dead + ".0.1f3a.tmp.keep", false},
        {".street.txt." + dead + ".x.1f3a.tmp", false},
        {"street.txt." + dead + ".0.1f3a.tmp", false},
    };
    for (const auto& file : files)
        std::ofstream(dir.File(file.name)) << "half a file";
    ASSERT_TRUE(ReplaceFileAtomically(dir.File("street.txt"), {"readings"}).empty());
    for (const auto& file : files)
        EXPECT_EQ(std::filesystem::exists(dir.File(file.name)), !file.cleared) << file.name;
    EXPECT_TRUE(std::filesystem::exists(dir.File("street.txt")));
}

} // namespace
