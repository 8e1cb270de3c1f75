#include "common/PrivateProfile.h"
#include "meter/PortMap.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace {

class PortMapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
        m_ini = (m_dir / "TempPort.ini").string();
    }

    CTempDir m_temp{"vx_portmap"};
    const std::filesystem::path m_dir = m_temp.Path();
    std::string m_ini;
};

#ifndef _WIN32
TEST_F(PortMapTest, MenuPortsReachTheUsualAdapters)
{
    const CPortMap map(m_ini); // no file at all
    EXPECT_EQ(map.DevicePath(1), "/dev/ttyUSB0");
    EXPECT_EQ(map.DevicePath(2), "/dev/ttyUSB1");
    EXPECT_EQ(map.DevicePath(3), "/dev/ttyACM0");
    EXPECT_EQ(map.DevicePath(4), "/dev/ttyACM1");
    EXPECT_EQ(map.DevicePath(5), "/dev/ttyS0");
}

TEST_F(PortMapTest, EveryPortNumberHasItsOwnDevice)
{
    EXPECT_EQ(CPortMap::DefaultDevicePath(6), "/dev/ttyS1");
    EXPECT_EQ(CPortMap::DefaultDevicePath(9), "/dev/ttyS4");
    EXPECT_EQ(CPortMap::DefaultDevicePath(10), "/dev/ttyUSB0");
    EXPECT_EQ(CPortMap::DefaultDevicePath(12), "/dev/ttyUSB2");
    EXPECT_EQ(CPortMap::DefaultDevicePath(39), "/dev/ttyUSB29");
    EXPECT_EQ(CPortMap::DefaultDevicePath(40), "/dev/ttyACM0");
    EXPECT_EQ(CPortMap::DefaultDevicePath(70), "/dev/ttyS0");
    EXPECT_EQ(CPortMap::DefaultDevicePath(99), "/dev/ttyS29");
    EXPECT_EQ(CPortMap::DefaultDevicePath(100), "/dev/ttyS30");
    // The USB and ACM blocks do not overlap.
    std::set<std::string> seen;
    for (int port = 10; port < 70; ++port)
        EXPECT_TRUE(seen.insert(CPortMap::DefaultDevicePath(port)).second) << port;
}
#endif

TEST_F(PortMapTest, NumbersOutsideTheRangeHaveNoDevice)
{
    const CPortMap map(m_ini);
    EXPECT_EQ(map.DevicePath(0), "");
    EXPECT_EQ(map.DevicePath(-3), "");
    EXPECT_EQ(map.DevicePath(101), "");
}

TEST_F(PortMapTest, OverrideInThePortFileWinsAndLeavesTheRecordAlone)
{
    const CPrivateProfile profile(m_ini);
    ASSERT_TRUE(profile.WriteString("Port Record", "Port", "12"));
    ASSERT_TRUE(profile.WriteString("Port Devices", "12", " /tmp/ttyLX47 "));
    ASSERT_TRUE(profile.WriteString("Port Devices", "150", "/tmp/ttyFar"));
    ASSERT_TRUE(profile.WriteString("Port Devices", "3", ""));

    const CPortMap map(m_ini);
    EXPECT_EQ(map.DevicePath(12), "/tmp/ttyLX47");
    EXPECT_EQ(map.DevicePath(150), "/tmp/ttyFar");
    EXPECT_EQ(map.DevicePath(3), CPortMap::DefaultDevicePath(3)); // an empty override counts as none
    EXPECT_EQ(map.DevicePath(13), CPortMap::DefaultDevicePath(13));
    EXPECT_EQ(profile.ReadString("Port Record", "Port"), "12");

    // The file is read on each call: a changed override takes effect at once.
    ASSERT_TRUE(profile.WriteString("Port Devices", "12", "/tmp/ttyOther"));
    EXPECT_EQ(map.DevicePath(12), "/tmp/ttyOther");
}

} // namespace
