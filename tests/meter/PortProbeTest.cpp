#include "common/PrivateProfile.h"
#include "meter/PortProbe.h"
#include "tests/support/Pty.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <linux/capability.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Runs fn on a thread of its own whose effective capabilities lack the given
// ones, so a test running as root still meets the checks an ordinary user
// meets (capabilities belong to the thread on Linux). False when the
// capabilities could not be dropped.
bool RunWithout(std::initializer_list<int> capabilities, const std::function<void()>& fn)
{
    bool dropped = false;
    std::thread worker([&] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] = {};
        if (syscall(SYS_capget, &header, data) != 0)
            return;
        for (int capability : capabilities)
            data[capability / 32].effective &= ~(1u << (capability % 32));
        if (syscall(SYS_capset, &header, data) != 0)
            return;
        dropped = true;
        fn();
    });
    worker.join();
    return dropped;
}

class PortProbeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
        m_ini = (m_dir / "TempPort.ini").string();
        ASSERT_TRUE(m_pty.IsOpen());
        MapPort(12, m_pty.SlavePath());
    }

    void MapPort(int port, const std::string& device)
    {
        ASSERT_TRUE(CPrivateProfile(m_ini).WriteString(CPortMap::kOverrideSection, std::to_string(port), device));
    }

    CTempDir m_temp{"vx_probe"};
    const std::filesystem::path m_dir = m_temp.Path();
    std::string m_ini;
    CPty m_pty;
};

TEST_F(PortProbeTest, AnAvailableTerminalCanBeOpened)
{
    const CPortMap map(m_ini);
    CPortProbe probe(map);
    std::string reason = "untouched";
    EXPECT_TRUE(probe.Probe(12, &reason));
    EXPECT_EQ(reason, "untouched");
    // The probe leaves the terminal as it found it: not exclusive, free to open.
    EXPECT_TRUE(probe.Probe(12, nullptr));
    const int fd = open(m_pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    int exclusive = 1;
    ASSERT_EQ(ioctl(fd, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    close(fd);
}

TEST_F(PortProbeTest, ATerminalHeldExclusivelyIsNotAvailable)
{
    const int held = open(m_pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(held, 0);
    ASSERT_EQ(ioctl(held, TIOCEXCL), 0);

    const CPortMap map(m_ini);
    CPortProbe probe(map);
    bool available = true;
    std::string reason;
    // Exclusive mode does not hold against CAP_SYS_ADMIN, so probe as a user would.
    ASSERT_TRUE(RunWithout({CAP_SYS_ADMIN}, [&] { available = probe.Probe(12, &reason); }));
    EXPECT_FALSE(available);
    EXPECT_EQ(reason, ProbeFailureText(m_pty.SlavePath(), EBUSY, {}));

    // The holder's exclusive mode is not disturbed by the probe.
    int exclusive = 0;
    ASSERT_EQ(ioctl(held, TIOCGEXCL, &exclusive), 0);
    EXPECT_NE(exclusive, 0);
    // A pseudo-terminal keeps the mode while its master lives: release it
    // as a serial port's holder does on closing.
    ASSERT_EQ(ioctl(held, TIOCNXCL), 0);
    close(held);
    ASSERT_TRUE(RunWithout({CAP_SYS_ADMIN}, [&] { available = probe.Probe(12, nullptr); }));
    EXPECT_TRUE(available);
}

TEST_F(PortProbeTest, AMissingDeviceSaysWhy)
{
    const std::string device = (m_dir / "ttyNothing").string();
    MapPort(13, device);
    const CPortMap map(m_ini);
    CPortProbe probe(map);
    std::string reason;
    EXPECT_FALSE(probe.Probe(13, &reason));
    EXPECT_EQ(reason, device + ": No such file or directory");

    // The device vanishes with its master.
    m_pty.Close();
    EXPECT_FALSE(probe.Probe(12, &reason));
    EXPECT_NE(reason.find(m_pty.SlavePath()), std::string::npos);

    EXPECT_FALSE(probe.Probe(0, &reason));
    EXPECT_EQ(reason, "No device for port 0.");
}

TEST_F(PortProbeTest, WhatIsNoCharacterDeviceIsNoPortAndIsNotOpened)
{
    const std::string file = (m_dir / "plain").string();
    { std::ofstream(file) << "x"; }
    const std::string fifo = (m_dir / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = (m_dir / "folder").string();
    std::filesystem::create_directory(folder);
    const struct {
        std::string device;
        std::string reason;
        bool opened; // a character device is opened to ask whether it is a terminal
    } cases[] = {
        {file, file + ": not a serial device.", false},
        {fifo, fifo + ": not a serial device.", false},
        {folder, folder + ": not a serial device.", false},
        {"/dev/null", ProbeFailureText("/dev/null", ENOTTY, {}), true},
    };
    for (const auto& c : cases) {
        MapPort(14, c.device);
        const CPortMap map(m_ini);
        CPortProbe probe(map);
        const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(inotify_add_watch(watch, c.device.c_str(), IN_OPEN), 0) << c.device;
        std::string reason;
        EXPECT_FALSE(probe.Probe(14, &reason)) << c.device;
        EXPECT_EQ(reason, c.reason);
        char events[4096];
        EXPECT_EQ(read(watch, events, sizeof events) > 0, c.opened) << c.device;
        close(watch);
    }

    // Overrides in a port file that is too large are not applied: the reason says so.
    { std::ofstream(m_ini, std::ios::app) << std::string(CPrivateProfile::kMaxFileSize, ';'); }
    const CPortMap map(m_ini);
    CPortProbe probe(map);
    std::string reason;
    EXPECT_FALSE(probe.Probe(0, &reason));
    EXPECT_EQ(reason, "No device for port 0.\nThe port file \"" + m_ini + "\" is ignored: it is larger than 1024 KiB.");
}

TEST_F(PortProbeTest, ADeviceWithoutPermissionNamesItsGroup)
{
    ASSERT_EQ(chmod(m_pty.SlavePath().c_str(), 0), 0);
    struct stat info {};
    ASSERT_EQ(stat(m_pty.SlavePath().c_str(), &info), 0);
    const group* owner = getgrgid(info.st_gid);
    const std::string groupName = owner != nullptr ? owner->gr_name : std::to_string(info.st_gid);
    EXPECT_EQ(DeviceGroupName(m_pty.SlavePath()), groupName);

    const CPortMap map(m_ini);
    CPortProbe probe(map);
    bool available = true;
    std::string reason;
    // Root passes permission checks through CAP_DAC_OVERRIDE; probe without it.
    ASSERT_TRUE(RunWithout({CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER},
                           [&] { available = probe.Probe(12, &reason); }));
    EXPECT_FALSE(available);
    EXPECT_EQ(reason, m_pty.SlavePath() + ": Permission denied. The user must be a member of the group \"" +
                          groupName + "\" that owns the device.");
}

TEST_F(PortProbeTest, APortItemsPromptNamesItsDeviceAndWhetherItIsThere)
{
    const std::string gone = (m_dir / "ttyGone").string();
    MapPort(13, gone);
    const CPortMap map(m_ini);
    const struct {
        int port;
        std::string prompt;
    } cases[] = {
        {12, "Port12: " + m_pty.SlavePath() + " (present)"},
        {13, "Port13: " + gone + " (not present)"},
        {0, "Port0: no device"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PortPrompt(map, c.port), c.prompt);
    // Without an override the number's own device, present or not.
    EXPECT_EQ(PortPrompt(map, 3).rfind("Port3: /dev/ttyACM0 (", 0), 0u) << PortPrompt(map, 3);
    // The port's device appears and goes.
    { std::ofstream(gone).put('x'); }
    EXPECT_EQ(PortPrompt(map, 13), "Port13: " + gone + " (present)");
    std::filesystem::remove(gone);
    EXPECT_EQ(PortPrompt(map, 13), "Port13: " + gone + " (not present)");
}

TEST(ProbeFailureText, NamesDeviceReasonAndWhatToDo)
{
    EXPECT_EQ(ProbeFailureText("/dev/ttyUSB0", EACCES, "dialout"),
              "/dev/ttyUSB0: Permission denied. The user must be a member of the group \"dialout\" that owns "
              "the device.");
    EXPECT_EQ(ProbeFailureText("/dev/ttyUSB0", EPERM, ""),
              "/dev/ttyUSB0: Operation not permitted. The user must be allowed to read and write this device.");
    EXPECT_EQ(ProbeFailureText("/dev/ttyACM0", ENOENT, "dialout"), "/dev/ttyACM0: No such file or directory");
    EXPECT_EQ(ProbeFailureText("/dev/ttyS0", EBUSY, ""), "/dev/ttyS0: Device or resource busy (the port is in use).");
}

} // namespace
