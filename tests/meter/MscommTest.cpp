#include "common/PrivateProfile.h"
#include "meter/CMscomm.h"
#include "meter/PortMap.h"
#include "tests/support/Pty.h"
#include "tests/support/TempDir.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {

TEST(CommSettings, ReadsTheSettingsText)
{
    const auto settings = CommSettings::Parse("9600,n,8,1");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->baudRate, 9600);
    EXPECT_EQ(settings->parity, QSerialPort::NoParity);
    EXPECT_EQ(settings->dataBits, QSerialPort::Data8);
    EXPECT_EQ(settings->stopBits, QSerialPort::OneStop);

    const auto other = CommSettings::Parse("19200,E,7,2");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->baudRate, 19200);
    EXPECT_EQ(other->parity, QSerialPort::EvenParity);
    EXPECT_EQ(other->dataBits, QSerialPort::Data7);
    EXPECT_EQ(other->stopBits, QSerialPort::TwoStop);

    for (const char* bad : {"", "9600", "9600,n,8", "9600,n,8,1,1", "fast,n,8,1", "9600,x,8,1", "9600,n,9,1",
                            "9600,n,8,3", "-9600,n,8,1", "9600x,n,8,1"})
        EXPECT_FALSE(CommSettings::Parse(bad)) << bad;
}

double CpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class MscommTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
        m_ini = (m_dir / "TempPort.ini").string();
        ASSERT_TRUE(m_pty.IsOpen());
        ASSERT_TRUE(CPrivateProfile(m_ini).WriteString(CPortMap::kOverrideSection, "12", m_pty.SlavePath()));
    }

    // Opens port 12 as the link does.
    bool Open(CMscomm& comm)
    {
        comm.SetCommPort(12);
        if (!comm.SetPortOpen(true))
            return false;
        comm.SetSettings("9600,n,8,1");
        comm.SetRThreshold(1);
        comm.SetInputMode(1);
        comm.SetInputLen(0);
        return true;
    }

    CTempDir m_temp{"vx_mscomm"};
    const std::filesystem::path m_dir = m_temp.Path();
    std::string m_ini;
    CPty m_pty;
};

TEST_F(MscommTest, BytesReceivedAfterOpeningRaiseTheEventAndArriveInOrderAndNothingOlder)
{
    // Thirty blocks the meter sent before the port was opened wait in the
    // device: they are stale and must not reach the decoder.
    ASSERT_TRUE(m_pty.Write(std::vector<std::uint8_t>(30 * 20, 0xEE)));
    const CPortMap map(m_ini);
    CMscomm comm(map);
    ASSERT_TRUE(Open(comm)) << comm.LastOpenError();
    EXPECT_TRUE(comm.PortOpen());
    EXPECT_EQ(comm.DevicePath(), m_pty.SlavePath());
    QSignalSpy events(&comm, &CMscomm::OnComm);

    std::vector<std::uint8_t> sent;
    for (int i = 0; i < 300; ++i)
        sent.push_back(static_cast<std::uint8_t>(i * 7));
    ASSERT_TRUE(m_pty.Write(sent));

    std::vector<std::uint8_t> received;
    QObject::connect(&comm, &CMscomm::OnComm, [&] {
        EXPECT_EQ(comm.CommEvent(), ISerialControl::kEventReceive);
        const auto chunk = comm.Input();
        received.insert(received.end(), chunk.begin(), chunk.end());
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() >= sent.size(); }, 3000));
    EXPECT_EQ(received, sent);
    EXPECT_GE(events.count(), 1);
    EXPECT_TRUE(comm.Input().empty());
}

TEST_F(MscommTest, OutputReachesTheMeterWithoutWaiting)
{
    const CPortMap map(m_ini);
    CMscomm comm(map);
    ASSERT_TRUE(Open(comm));
    const std::vector<std::uint8_t> request(8, 0xAC);
    comm.Output(request);
    comm.Output({0x55});
    std::vector<std::uint8_t> got;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const auto more = m_pty.Read(9 - got.size(), 10);
        got.insert(got.end(), more.begin(), more.end());
        return got.size() >= 9;
    }, 3000));
    std::vector<std::uint8_t> expected = request;
    expected.push_back(0x55);
    EXPECT_EQ(got, expected);
}

TEST_F(MscommTest, TheLineIsSetUpAsAsked)
{
    const CPortMap map(m_ini);
    CMscomm comm(map);
    ASSERT_TRUE(Open(comm));
    termios line {};
    ASSERT_EQ(tcgetattr(m_pty.MasterFd(), &line), 0);
    EXPECT_EQ(cfgetospeed(&line), B9600);
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB), 0u);
}

TEST_F(MscommTest, AFailedOpeningKeepsItsReason)
{
    const CPortMap map(m_ini);
    CMscomm comm(map);
    ASSERT_TRUE(CPrivateProfile(m_ini).WriteString(CPortMap::kOverrideSection, "13", (m_dir / "gone").string()));
    comm.SetCommPort(13);
    EXPECT_FALSE(comm.SetPortOpen(true));
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_NE(comm.LastOpenError().find((m_dir / "gone").string()), std::string::npos) << comm.LastOpenError();
    EXPECT_TRUE(comm.Input().empty());
    comm.Output({0x55}); // nothing to write to, nothing happens

    comm.SetCommPort(101);
    EXPECT_FALSE(comm.SetPortOpen(true));
    EXPECT_EQ(comm.LastOpenError(), "No device for port 101.");
}

TEST_F(MscommTest, AVanishedDeviceGoesQuietWithoutSpinning)
{
    const CPortMap map(m_ini);
    CMscomm comm(map);
    ASSERT_TRUE(Open(comm));
    QSignalSpy events(&comm, &CMscomm::OnComm);
    ASSERT_TRUE(m_pty.Write({1, 2, 3}));
    ASSERT_TRUE(events.wait(3000));
    comm.Input();

    m_pty.Close(); // the adapter is pulled out
    ASSERT_TRUE(QTest::qWaitFor([&] { return comm.DeviceLost(); }, 10000));
    // A spinning loop would take the whole of a core: a busy machine only gives it less.
    const double cpuBefore = CpuSeconds();
    QTest::qWait(600);
    const double cpuUsed = CpuSeconds() - cpuBefore;
    EXPECT_LT(cpuUsed, 0.3) << "the event loop spins on the dead device";
    // Still open as far as the program is concerned: supervision closes it.
    EXPECT_TRUE(comm.PortOpen());
    const int eventsSoFar = events.count();
    comm.Output({0x55});
    EXPECT_TRUE(comm.Input().empty());
    QTest::qWait(100);
    EXPECT_EQ(events.count(), eventsSoFar);
    EXPECT_TRUE(comm.SetPortOpen(false));
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_FALSE(comm.DeviceLost());
}

} // namespace
