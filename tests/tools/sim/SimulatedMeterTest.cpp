// The simulated meter as a process on a real pseudo-terminal, seen from the
// program's side: the device opened with plain termios.
#include "tests/support/SimulatedMeter.h"

#include "tools/sim/SimWire.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

// The program's end of the link: the device opened raw, as a serial port would be.
class CDevice {
public:
    explicit CDevice(const std::string& path)
    {
        m_fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios t{};
        if (m_fd >= 0 && tcgetattr(m_fd, &t) == 0) {
            cfmakeraw(&t);
            cfsetspeed(&t, B9600);
            tcsetattr(m_fd, TCSANOW, &t);
        }
    }
    ~CDevice()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    bool IsOpen() const { return m_fd >= 0; }
    bool HungUp() const { return m_hungUp; }

    // Collects bytes until `done` says so, the device hangs up, or timeoutMs pass.
    Bytes ReadUntil(const std::function<bool(const Bytes&)>& done, int timeoutMs)
    {
        Bytes bytes;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done(bytes) && std::chrono::steady_clock::now() < deadline) {
            pollfd p{m_fd, POLLIN, 0};
            poll(&p, 1, 20);
            std::uint8_t buffer[1024];
            const ssize_t n = read(m_fd, buffer, sizeof buffer);
            if (n > 0) {
                bytes.insert(bytes.end(), buffer, buffer + n);
            } else if (n == 0 || (n < 0 && errno == EIO) || (p.revents & POLLHUP)) {
                m_hungUp = true;
                break;
            }
        }
        return bytes;
    }
    Bytes ReadFor(int ms)
    {
        return ReadUntil([](const Bytes&) { return false; }, ms);
    }
    bool Write(const Bytes& bytes) { return write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()); }

private:
    int m_fd = -1;
    bool m_hungUp = false;
};

std::size_t FindPair(const Bytes& bytes, std::size_t from = 0)
{
    for (std::size_t i = from; i + 1 < bytes.size(); ++i) {
        if (bytes[i] == 0xA5 && bytes[i + 1] == 0x0D)
            return i;
    }
    return bytes.size();
}

std::size_t Find(const Bytes& bytes, std::uint8_t byte)
{
    return static_cast<std::size_t>(std::find(bytes.begin(), bytes.end(), byte) - bytes.begin());
}

// Every 20-byte block from the first sync pair on starts with the pair.
void ExpectFramedBlocks(const Bytes& bytes, std::size_t minimumBlocks)
{
    const std::size_t start = FindPair(bytes);
    ASSERT_LT(start, bytes.size());
    std::size_t blocks = 0;
    for (std::size_t k = start; k + 20 <= bytes.size(); k += 20, ++blocks) {
        ASSERT_EQ(bytes[k], 0xA5) << "block at " << k;
        ASSERT_EQ(bytes[k + 1], 0x0D) << "block at " << k;
        for (std::size_t i = 0; i < 20; ++i)
            ASSERT_NE(bytes[k + i], 0xFF);
    }
    EXPECT_GE(blocks, minimumBlocks);
}

bool Contains(const Bytes& bytes, const Bytes& part)
{
    return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}

bool PathExists(const std::string& path)
{
    return access(path.c_str(), F_OK) == 0;
}

const Bytes kRequest(8, 0xAC);

} // namespace

class SimulatedMeterTest : public ::testing::Test {
protected:
    std::vector<std::string> Arguments(std::vector<std::string> extra)
    {
        m_link = CSimulatedMeter::TempLinkPath("meter");
        std::vector<std::string> arguments{"--exit-with-parent", "--link", m_link, "--clock", "11:59:58"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return arguments;
    }
    std::string m_link;
};

TEST_F(SimulatedMeterTest, StreamsFramedBlocksWithLevelAndClock)
{
    CSimulatedMeter sim(Arguments({"--level", "const:85.3"}));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    EXPECT_EQ(sim.DevicePath(), m_link);
    CDevice device(sim.DevicePath());
    ASSERT_TRUE(device.IsOpen());
    const Bytes bytes = device.ReadFor(2200);
    ExpectFramedBlocks(bytes, 15);
    EXPECT_TRUE(Contains(bytes, {0xA5, 0x0D, 0x08, 0x53}));
    EXPECT_TRUE(Contains(bytes, {0xA5, 0x0B}));
    EXPECT_TRUE(Contains(bytes, {0xA5, 0x0C}));
    // 11:59:58 AM, then 12:00:00 PM a moment later.
    EXPECT_TRUE(Contains(bytes, {0xA5, 0x06, 0x11, 0x59}));
    EXPECT_TRUE(Contains(bytes, {0xA5, 0x06, 0x32, 0x00, 0x00}) || Contains(bytes, {0xA5, 0x06, 0x32, 0x00, 0x01}));
    EXPECT_TRUE(Contains(bytes, {0xA5, 0x40})); // the automatic range, told at start
}

TEST_F(SimulatedMeterTest, KeysAreReportedAndHonoured)
{
    CSimulatedMeter sim(Arguments({"--level", "const:60.0"}));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    CDevice device(sim.DevicePath());
    ASSERT_TRUE(device.IsOpen());
    device.ReadFor(300);
    ASSERT_TRUE(device.Write({0x77, 0x42}));
    EXPECT_EQ(sim.WaitFor("KEY ", 2000), "KEY 0x77");
    EXPECT_EQ(sim.WaitFor("RX ", 2000), "RX 0x42");
    const Bytes bytes = device.ReadUntil([](const Bytes& b) { return Contains(b, {0xA5, 0x03}); }, 2000);
    EXPECT_TRUE(Contains(bytes, {0xA5, 0x03})) << "SLOW after the FAST/SLOW key";

    // A key pressed on the meter itself is not reported as received.
    ASSERT_TRUE(sim.Send("key 0x99"));
    EXPECT_FALSE(sim.WaitFor("OK key 0x99", 2000).empty());
    EXPECT_TRUE(Contains(device.ReadUntil([](const Bytes& b) { return Contains(b, {0xA5, 0x1C}); }, 2000), {0xA5, 0x1C}));
    ASSERT_TRUE(sim.Send("key 0x42"));
    EXPECT_FALSE(sim.WaitFor("ERROR key 0x42", 2000).empty());
    EXPECT_EQ(sim.CountLines("KEY 0x99"), 0);
}

TEST_F(SimulatedMeterTest, SplitRequestIsAnsweredWithAWellFormedDump)
{
    CSimulatedMeter sim(Arguments({"--level", "const:60.0", "--logger", "2x10"}));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    CDevice device(sim.DevicePath());
    ASSERT_TRUE(device.IsOpen());
    device.ReadFor(250);
    ASSERT_TRUE(device.Write(Bytes(5, 0xAC)));
    usleep(60000);
    ASSERT_TRUE(device.Write(Bytes(3, 0xAC)));
    EXPECT_EQ(sim.WaitFor("REQUEST", 2000), "REQUEST");
    EXPECT_EQ(sim.CountLines("RX "), 0) << "the split request is no stray bytes";

    const Bytes bytes = device.ReadUntil([](const Bytes& b) { return Find(b, 0xDD) < b.size(); }, 3000);
    const std::size_t start = Find(bytes, 0xBB);
    ASSERT_LT(start + 3, bytes.size());
    // Nothing of the stream between the reply's header and its end byte.
    const std::size_t length = bytes[start + 1] * 256u + bytes[start + 2];
    const std::size_t end = Find(bytes, 0xDD);
    ASSERT_LT(end, bytes.size());
    const Bytes data(bytes.begin() + static_cast<long>(start) + 3, bytes.begin() + static_cast<long>(end));
    EXPECT_EQ(length, 100u + 2u * 29u);
    ASSERT_EQ(data.size(), length - 100);
    EXPECT_EQ(data[0], 0xAA);
    EXPECT_EQ(data[29], 0xCC);
    EXPECT_EQ(data[9], 0x05); // 50.0 dB
    EXPECT_EQ(data[10], 0x00);
    // The stream goes on after the dump, in step.
    const Bytes after = device.ReadFor(500);
    ExpectFramedBlocks(after, 3);
    EXPECT_EQ(after[0], 0xA5);
    EXPECT_FALSE(sim.WaitFor("DUMP SENT", 1000).empty());
}

// The master reports a hang-up for a moment while the program reopens the
// port (or is seen so under load): the dump waits and goes on, nothing dropped.
TEST_F(SimulatedMeterTest, AHangUpThatPassesLosesNothingOfTheDump)
{
    CSimulatedMeter sim(Arguments({"--level", "const:60.0", "--logger", "6x40", "--dump", "paced"}));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    auto device = std::make_unique<CDevice>(sim.DevicePath());
    ASSERT_TRUE(device->IsOpen());
    device->ReadFor(250);
    ASSERT_TRUE(device->Write(kRequest));
    Bytes bytes = device->ReadUntil([](const Bytes& b) { return Find(b, 0xBB) + 200 < b.size(); }, 5000);
    ASSERT_LT(Find(bytes, 0xBB) + 200, bytes.size());
    // Quiet for a moment, so nothing is on its way when the port closes.
    ASSERT_TRUE(sim.Send("silent 0.3"));
    ASSERT_FALSE(sim.WaitFor("OK silent", 2000).empty());
    const Bytes drained = device->ReadFor(150);
    bytes.insert(bytes.end(), drained.begin(), drained.end());
    device.reset();
    usleep(500000); // hung up beyond the silence, shorter than a reader's going for good
    device = std::make_unique<CDevice>(sim.DevicePath());
    ASSERT_TRUE(device->IsOpen());
    const Bytes rest = device->ReadUntil([](const Bytes& b) { return Find(b, 0xDD) < b.size(); }, 10000);
    bytes.insert(bytes.end(), rest.begin(), rest.end());

    const std::size_t start = Find(bytes, 0xBB);
    const std::size_t end = Find(bytes, 0xDD);
    ASSERT_LT(end, bytes.size());
    std::vector<SimWire::LoggerSet> sets;
    std::string error;
    ASSERT_TRUE(SimWire::ParseLoggerSpec("6x40", sets, error));
    EXPECT_EQ(Bytes(bytes.begin() + static_cast<long>(start) + 3, bytes.begin() + static_cast<long>(end)),
              SimWire::DumpData(sets));
    EXPECT_EQ(sim.CountLines("DUMP ABANDONED"), 0);
}

TEST_F(SimulatedMeterTest, EmptyLoggerAndRecordedSets)
{
    CSimulatedMeter sim(Arguments({"--level", "const:77.7"}));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    CDevice device(sim.DevicePath());
    ASSERT_TRUE(device.IsOpen());
    ASSERT_TRUE(sim.Send("logger none"));
    ASSERT_FALSE(sim.WaitFor("OK logger none", 2000).empty());
    device.ReadFor(200);
    ASSERT_TRUE(device.Write(kRequest));
    Bytes bytes = device.ReadUntil([](const Bytes& b) { return Find(b, 0xBB) + 3 <= b.size(); }, 2000);
    std::size_t start = Find(bytes, 0xBB);
    ASSERT_LE(start + 3, bytes.size());
    EXPECT_EQ(bytes[start + 1], 0x00);
    EXPECT_EQ(bytes[start + 2], 0x64); // L = 100: no data
    ASSERT_FALSE(sim.WaitFor("DUMP SENT", 2000).empty());

    // REC, two seconds, STOP: the logger now holds one dBA set of 77.7 dB readings.
    ASSERT_TRUE(device.Write({0x55}));
    ASSERT_FALSE(sim.WaitFor("REC ON", 2000).empty());
    usleep(2200000);
    ASSERT_TRUE(device.Write({0x33}));
    const std::string off = sim.WaitFor("REC OFF", 2000);
    ASSERT_FALSE(off.empty());
    device.ReadFor(300);
    ASSERT_TRUE(device.Write(kRequest));
    bytes = device.ReadUntil([](const Bytes& b) { return Find(b, 0xDD) < b.size(); }, 3000);
    start = Find(bytes, 0xBB);
    const std::size_t end = Find(bytes, 0xDD);
    ASSERT_LT(end, bytes.size());
    ASSERT_LT(start + 3, end);
    const std::size_t dataBytes = end - start - 3;
    EXPECT_EQ(bytes[start + 1] * 256u + bytes[start + 2], dataBytes + 100);
    EXPECT_EQ(bytes[start + 3], 0xAA);
    ASSERT_GE(dataBytes, 9u + 2u * 3u); // at 0, 1 and 2 s at least
    EXPECT_EQ((dataBytes - 9) / 2, static_cast<std::size_t>(std::stoi(off.substr(off.rfind(' ') + 1))));
    EXPECT_EQ(bytes[start + 3 + 9], 0x07);
    EXPECT_EQ(bytes[start + 3 + 10], 0x77);
}

TEST_F(SimulatedMeterTest, VanishedDeviceComesBack)
{
    CSimulatedMeter sim(Arguments({"--level", "const:60.0"}));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    {
        CDevice device(sim.DevicePath());
        ASSERT_TRUE(device.IsOpen());
        device.ReadFor(200);
        ASSERT_TRUE(sim.Send("vanish 1"));
        ASSERT_FALSE(sim.WaitFor("OK vanish 1", 2000).empty());
        EXPECT_FALSE(PathExists(m_link));
        device.ReadFor(300);
        EXPECT_TRUE(device.HungUp());
    }
    EXPECT_FALSE(sim.WaitFor("DEVICE ", 4000).empty());
    ASSERT_TRUE(PathExists(m_link));
    CDevice device(sim.DevicePath());
    ASSERT_TRUE(device.IsOpen());
    ExpectFramedBlocks(device.ReadFor(600), 3);

    // Until told, then.
    ASSERT_TRUE(sim.Send("vanish"));
    ASSERT_FALSE(sim.WaitFor("OK vanish", 2000).empty());
    usleep(300000);
    EXPECT_FALSE(PathExists(m_link));
    ASSERT_TRUE(sim.Send("appear"));
    EXPECT_FALSE(sim.WaitFor("DEVICE ", 2000).empty());
    EXPECT_TRUE(PathExists(m_link));
}

TEST_F(SimulatedMeterTest, SilenceBurstAndClosedInput)
{
    CSimulatedMeter sim(Arguments({"--level", "const:60.0"}));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    CDevice device(sim.DevicePath());
    ASSERT_TRUE(device.IsOpen());
    device.ReadFor(200);
    ASSERT_TRUE(sim.Send("silent"));
    ASSERT_FALSE(sim.WaitFor("OK silent", 2000).empty());
    device.ReadFor(100); // what was on its way
    EXPECT_TRUE(device.ReadFor(500).empty());
    ASSERT_TRUE(device.Write(kRequest));
    EXPECT_EQ(sim.WaitFor("REQUEST", 2000), "REQUEST unanswered (silent)");

    ASSERT_TRUE(sim.Send("burst FF 00 a5 0x0d"));
    ASSERT_FALSE(sim.WaitFor("OK burst", 2000).empty());
    EXPECT_EQ(device.ReadFor(300), (Bytes{0xFF, 0x00, 0xA5, 0x0D}));
    ASSERT_TRUE(sim.Send("burst zz"));
    EXPECT_FALSE(sim.WaitFor("ERROR burst zz", 2000).empty());

    ASSERT_TRUE(sim.Send("resume"));
    ASSERT_FALSE(sim.WaitFor("OK resume", 2000).empty());
    // Closing its input does not end the meter.
    sim.CloseInput();
    usleep(300000);
    EXPECT_TRUE(sim.IsRunning());
    ExpectFramedBlocks(device.ReadFor(600), 3);
}

TEST_F(SimulatedMeterTest, TerminationRemovesTheLink)
{
    std::string link;
    {
        CSimulatedMeter sim(Arguments({}));
        ASSERT_TRUE(sim.Started()) << sim.Error();
        link = sim.DevicePath();
        EXPECT_TRUE(PathExists(link));
    }
    EXPECT_FALSE(PathExists(link));

    CSimulatedMeter bad({"--level", "noise"}, 1000);
    EXPECT_FALSE(bad.Started());
    EXPECT_FALSE(bad.Error().empty());
}
