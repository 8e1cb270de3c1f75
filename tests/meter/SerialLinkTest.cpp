#include "common/Clock.h"
#include "common/PrivateProfile.h"
#include "common/ScriptedDialogs.h"
#include "meter/PortProbe.h"
#include "meter/ReadingDecoder.h"
#include "meter/SerialControl.h"
#include "meter/SerialLink.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Every call the link makes, in order, across the control, the probe and the host.
using CallLog = std::vector<std::string>;

class CFakeControl final : public ISerialControl {
public:
    explicit CFakeControl(CallLog& log) : m_log(log) {}
    void SetCommPort(int port) override { m_log.push_back("CommPort " + std::to_string(port)); m_port = port; }
    int CommPort() const override { return m_port; }
    bool PortOpen() const override { return m_open || stuckOpen; }
    bool SetPortOpen(bool open) override
    {
        m_log.push_back(open ? "PortOpen true" : "PortOpen false");
        if (open && failOpen)
            return false;
        m_open = open;
        return true;
    }
    bool SetSettings(const std::string& s) override { m_log.push_back("Settings " + s); return true; }
    void SetRThreshold(int v) override { m_log.push_back("RThreshold " + std::to_string(v)); }
    void SetInputMode(int v) override { m_log.push_back("InputMode " + std::to_string(v)); }
    void SetInputLen(int v) override { m_log.push_back("InputLen " + std::to_string(v)); }
    std::vector<std::uint8_t> Input() override { m_log.push_back("Input"); return {}; }
    void Output(const std::vector<std::uint8_t>&) override {}
    int CommEvent() const override { return kEventReceive; }
    std::string LastOpenError() const override { return failOpen ? "/dev/ttyACM0: Input/output error" : ""; }

    bool stuckOpen = false; // the port does not close when told to
    bool failOpen = false;

private:
    CallLog& m_log;
    int m_port = 1;
    bool m_open = false;
};

class CFakeProbe final : public IPortProbe {
public:
    explicit CFakeProbe(CallLog& log) : m_log(log) {}
    bool Probe(int port, std::string* reason) override
    {
        m_log.push_back("Probe " + std::to_string(port));
        if (available.count(port) != 0 && available[port])
            return true;
        if (reason != nullptr)
            *reason = "/dev/ttyS9: No such file or directory";
        return false;
    }
    std::map<int, bool> available;

private:
    CallLog& m_log;
};

// The link's listener and supervisor at once, logging both in one order.
class CFakeHost final : public IMeterLinkListener, public ILinkSupervisor {
public:
    explicit CFakeHost(CallLog& log) : m_log(log) {}
    void LinkLost() override { m_log.push_back("StopRecording"); }
    void InvalidatePanel(const PanelRect& r) override
    {
        m_log.push_back("Invalidate " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                        std::to_string(r.right) + "," + std::to_string(r.bottom));
    }
    void StartSupervisionTimer(int ms) override { m_log.push_back("StartTimer " + std::to_string(ms)); }
    void StopSupervisionTimer() override { m_log.push_back("StopTimer"); }
    bool StartWatcher(int port) override
    {
        m_log.push_back("StartWatcher " + std::to_string(port));
        return watcherStarts;
    }
    bool watcherStarts = true;

private:
    CallLog& m_log;
};

class CNoEvents final : public IMeterLinkListener {};

class SerialLinkTest : public ::testing::Test {
protected:
    SerialLinkTest() : control(log), probe(log), host(log), decoder(state, events, clock),
        link(control, probe, dialogs, clock, decoder, host, host)
    {
        for (int port : {1, 2, 3, 4, 5, 12, 99})
            probe.available[port] = true;
    }

    // The meter sends a few bytes: the decoder notes the time and connects.
    void MeterSends()
    {
        const std::uint8_t bytes[] = {0x00, 0xA5, 0x0D, 0x08, 0x53};
        decoder.Receive(bytes, sizeof bytes);
    }

    // Time passes: the tick count by ms, the calendar by the whole seconds gone by.
    void Pass(std::chrono::milliseconds ms)
    {
        clock.AdvanceMs(static_cast<std::uint32_t>(ms.count()));
        m_passedMs += ms.count();
        clock.SetNow(kStart + m_passedMs / 1000);
    }

    CallLog TakeLog()
    {
        CallLog taken;
        taken.swap(log);
        return taken;
    }

    static constexpr std::int64_t kStart = 1'000'000;
    std::int64_t m_passedMs = 0;
    CallLog log;
    CManualClock clock{kStart};
    CFakeControl control;
    CFakeProbe probe;
    CFakeHost host;
    CScriptedDialogs dialogs;
    MeterState state;
    CNoEvents events;
    CReadingDecoder decoder;
    CSerialLink link;
};

const CallLog kOpenSteps = {"Probe 3",        "CommPort 3",   "PortOpen true", "Settings 9600,n,8,1",
                            "RThreshold 1",   "InputMode 1",  "InputLen 0",    "Input"};

TEST_F(SerialLinkTest, OpeningFollowsTheStepsInOrder)
{
    link.OnComPort(3);
    CallLog expected = kOpenSteps;
    expected.push_back("StartTimer 1000");
    EXPECT_EQ(TakeLog(), expected);
    EXPECT_TRUE(link.PortOpen());
    EXPECT_TRUE(link.SupervisionArmed());
    EXPECT_EQ(link.PortNumber(), 3);
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(link.PortMark(i), i == 3) << i;
    EXPECT_TRUE(dialogs.Messages().empty());

    // Opening again closes first and restarts the armed timer.
    link.OnComPort(3);
    expected = {"PortOpen false"};
    expected.insert(expected.end(), kOpenSteps.begin(), kOpenSteps.end());
    expected.push_back("StopTimer");
    expected.push_back("StartTimer 1000");
    EXPECT_EQ(TakeLog(), expected);
}

TEST_F(SerialLinkTest, AChosenPortIsTheLinksPortWithItsMarkSoALostLinkWatchesIt)
{
    link.ChoosePort(4);
    EXPECT_EQ(link.PortNumber(), 4);
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(link.PortMark(i), i == 4) << i;
    link.ChoosePort(12);
    EXPECT_EQ(link.PortNumber(), 12);
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(link.PortMark(i)) << i;
    EXPECT_TRUE(link.PortOpen());
}

TEST_F(SerialLinkTest, OpeningStartsTheStreamHuntAnew)
{
    link.OnComPort(1);
    MeterSends();
    ASSERT_TRUE(decoder.Synced());
    link.OnComPort(2);
    EXPECT_FALSE(decoder.Synced());
}

TEST_F(SerialLinkTest, AnInvalidPortClearsTheMarksAndStops)
{
    link.OnComPort(2);
    TakeLog();
    probe.available[4] = false;
    link.OnComPort(4);
    EXPECT_EQ(TakeLog(), (CallLog{"PortOpen false", "Probe 4"}));
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "LX47");
    EXPECT_EQ(dialogs.Messages()[0].text, "Invalid port number.\n/dev/ttyS9: No such file or directory");
    EXPECT_EQ(dialogs.Messages()[0].buttons, MsgButtons::Ok);
    // The command sets its own mark after the open routine, whatever it did.
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(link.PortMark(i), i == 4) << i;
    EXPECT_FALSE(link.PortOpen());
}

TEST_F(SerialLinkTest, APortThatStaysOpenIsReported)
{
    control.stuckOpen = true;
    link.OnComPort(5);
    EXPECT_EQ(TakeLog(), (CallLog{"PortOpen false", "Probe 5", "CommPort 5"}));
    ASSERT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{"Can't open serial port, please check your line."}));
    EXPECT_FALSE(link.SupervisionArmed());
    EXPECT_TRUE(link.PortMark(5));
}

TEST_F(SerialLinkTest, AFailedOpeningAfterAGoodProbeIsReported)
{
    control.failOpen = true;
    link.OnComPort(3);
    EXPECT_EQ(TakeLog(), (CallLog{"Probe 3", "CommPort 3", "PortOpen true"}));
    EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{
                                          "Can't open serial port, please check your line.\n"
                                          "/dev/ttyACM0: Input/output error"}));
    EXPECT_FALSE(link.PortOpen());
    EXPECT_FALSE(link.SupervisionArmed());
}

TEST_F(SerialLinkTest, OtherClearsTheMarksBeforeOpening)
{
    link.OnComPort(2);
    probe.available[99] = false;
    link.OnOtherPort(99);
    EXPECT_EQ(link.PortNumber(), 99);
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(link.PortMark(i)) << i;
    EXPECT_EQ(dialogs.Messages().size(), 1u);

    link.OnOtherPort(4); // a menu number through the dialog still gets no mark
    EXPECT_TRUE(link.PortOpen());
    EXPECT_FALSE(link.PortMark(4));
}

TEST_F(SerialLinkTest, ChoosingTheSamePortWhileConnectedStaysConnectedUntilSilence)
{
    link.OnComPort(3);
    MeterSends();
    ASSERT_TRUE(decoder.Connected());
    Pass(1s);
    link.OnComPort(3);
    EXPECT_TRUE(decoder.Connected());
    EXPECT_TRUE(link.PortOpen());
    link.OnSupervisionTick(); // one second of silence
    EXPECT_TRUE(decoder.Connected());
    Pass(1s);
    link.OnSupervisionTick(); // two seconds
    EXPECT_FALSE(decoder.Connected());
    EXPECT_FALSE(link.PortOpen());
}

TEST_F(SerialLinkTest, SilenceLosesTheLinkOnceThenRepeatsOnlyTheQuietPart)
{
    link.OnComPort(2);
    MeterSends();
    TakeLog();

    Pass(1s);
    link.OnSupervisionTick();
    EXPECT_TRUE(TakeLog().empty());

    Pass(1s);
    link.OnSupervisionTick();
    EXPECT_EQ(TakeLog(), (CallLog{"StopRecording", "Invalidate 41,39,166,185", "PortOpen false", "StartWatcher 2"}));
    EXPECT_FALSE(decoder.Connected());
    EXPECT_FALSE(decoder.Synced());
    EXPECT_FALSE(link.PortOpen());
    EXPECT_TRUE(link.PortMark(2)); // port number and marks survive
    EXPECT_EQ(link.PortNumber(), 2);

    // Later ticks: the timer runs on, the quiet part repeats, no more watchers.
    Pass(1s);
    link.OnSupervisionTick();
    EXPECT_EQ(TakeLog(), (CallLog{"StopRecording", "Invalidate 41,39,166,185"}));
    EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(SerialLinkTest, SilenceIsMeasuredInMillisecondsOnTheTickCount)
{
    const struct {
        const char* what;
        std::uint32_t receivedTick;
        std::int64_t receivedNow;
        std::uint32_t tick;
        std::int64_t now;
        bool lost;
    } cases[] = {
        {"a little over one second across two calendar seconds", 5'999, 100, 7'001, 102, false},
        {"just under two seconds", 10'000, 100, 11'999, 101, false},
        {"two seconds", 10'000, 100, 12'000, 102, true},
        {"over the tick count's wrap", 0xFFFF'FC18u, 100, 999, 101, false},
        {"two seconds over the wrap", 0xFFFF'FC18u, 100, 1'000, 102, true},
        {"the calendar set back an hour", 10'000, 5'000, 10'500, 1'400, false},
        {"the calendar set forward an hour", 10'000, 5'000, 10'500, 8'600, false},
    };
    for (const auto& c : cases) {
        link.OnComPort(1);
        clock.SetTick(c.receivedTick);
        clock.SetNow(c.receivedNow);
        MeterSends();
        ASSERT_TRUE(decoder.Connected()) << c.what;
        clock.SetTick(c.tick);
        clock.SetNow(c.now);
        link.OnSupervisionTick();
        EXPECT_EQ(!decoder.Connected(), c.lost) << c.what;
        EXPECT_EQ(!link.PortOpen(), c.lost) << c.what;
    }
}

TEST_F(SerialLinkTest, AWatcherThatCannotStartIsReported)
{
    host.watcherStarts = false;
    link.OnComPort(1);
    Pass(5s);
    link.OnSupervisionTick();
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "Warming");
    EXPECT_EQ(dialogs.Messages()[0].text, "Failed to create new thread!");
    EXPECT_FALSE(link.PortOpen());
}

TEST_F(SerialLinkTest, ThePortComingBackReopensItAndMarksIt)
{
    link.OnComPort(4);
    Pass(3s);
    link.OnSupervisionTick();
    TakeLog();
    EXPECT_EQ(link.OnPortAvailable(), 1);
    CallLog expected = {"Probe 4", "CommPort 4", "PortOpen true", "Settings 9600,n,8,1", "RThreshold 1",
                        "InputMode 1", "InputLen 0", "Input", "StopTimer", "StartTimer 1000"};
    EXPECT_EQ(TakeLog(), expected);
    EXPECT_TRUE(link.PortMark(4));

    // Nothing in the first second after reopening: the old silence still counts.
    Pass(1s);
    link.OnSupervisionTick();
    EXPECT_FALSE(link.PortOpen());
    EXPECT_EQ(TakeLog().back(), "StartWatcher 4");
}

TEST_F(SerialLinkTest, PortAvailableLeavesOtherMarksAlone)
{
    link.OnOtherPort(12);
    EXPECT_EQ(link.OnPortAvailable(), 1);
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(link.PortMark(i));
    EXPECT_TRUE(link.PortOpen());
}

class RememberedPortTest : public SerialLinkTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
        m_ini = (m_dir / "TempPort.ini").string();
    }

    CTempDir m_temp{"vx_link"};
    const std::filesystem::path m_dir = m_temp.Path();
    std::string m_ini;
};

TEST_F(RememberedPortTest, TwelveRestoresTwelve)
{
    ASSERT_TRUE(CPrivateProfile(m_ini).WriteString("Port Record", "Port", "12"));
    link.LoadRememberedPort(m_ini);
    EXPECT_EQ(link.PortNumber(), 12);
    EXPECT_TRUE(link.PortOpen());
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(link.PortMark(i));
}

TEST_F(RememberedPortTest, AMenuPortIsMarked)
{
    {
        std::ofstream out(m_ini, std::ios::binary);
        out << "[Port Record]\r\nPort=3\r\n";
    }
    link.LoadRememberedPort(m_ini);
    EXPECT_EQ(link.PortNumber(), 3);
    EXPECT_TRUE(link.PortMark(3));
}

TEST_F(RememberedPortTest, ZeroOrNothingMeansNoPort)
{
    link.LoadRememberedPort(m_ini); // no file
    ASSERT_TRUE(CPrivateProfile(m_ini).WriteString("Port Record", "Port", "0"));
    link.LoadRememberedPort(m_ini);
    ASSERT_TRUE(CPrivateProfile(m_ini).WriteString("Port Record", "Port", "none"));
    link.LoadRememberedPort(m_ini);
    EXPECT_EQ(link.PortNumber(), 0);
    EXPECT_TRUE(log.empty());

    // No port chosen: nothing is written back.
    std::filesystem::remove(m_ini);
    EXPECT_TRUE(link.SaveRememberedPort(m_ini));
    EXPECT_FALSE(std::filesystem::exists(m_ini));
}

TEST_F(RememberedPortTest, ThePortIsWrittenBackBesideOtherContent)
{
    {
        std::ofstream out(m_ini, std::ios::binary);
        out << "[Port Record]\r\nPort=3\r\n\r\n[Port Devices]\r\n12=/tmp/ttyLX47\r\n";
    }
    link.OnOtherPort(12);
    ASSERT_TRUE(link.SaveRememberedPort(m_ini));
    std::ifstream in(m_ini, std::ios::binary);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "[Port Record]\r\nPort=12\r\n\r\n[Port Devices]\r\n12=/tmp/ttyLX47\r\n");
}

TEST_F(RememberedPortTest, APortFileThatIsIgnoredIsNamedToTheUser)
{
    const struct {
        void (*make)(const std::string& path);
        const char* why;
    } cases[] = {
        {[](const std::string& path) { std::filesystem::create_directory(path); }, "it is not a regular file"},
        {[](const std::string& path) {
             std::ofstream(path, std::ios::binary)
                 << "[Port Record]\r\nPort=3\r\n" << std::string(CPrivateProfile::kMaxFileSize, ';');
         },
         "it is larger than 1024 KiB"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(m_ini);
        c.make(m_ini);
        dialogs.ClearLog();
        link.LoadRememberedPort(m_ini);
        EXPECT_EQ(dialogs.MessageTexts(),
                  std::vector<std::string>({"The port file \"" + m_ini + "\" is ignored: " + c.why + "."}));
        EXPECT_EQ(link.PortNumber(), 0);
        EXPECT_TRUE(log.empty());
    }
}

} // namespace
