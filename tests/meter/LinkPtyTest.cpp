// The whole link over a pseudo-terminal: the serial control, the link logic,
// the decoder and the port watchers against the simulated meter, which can
// go silent and be unplugged and plugged back.
#include "common/Clock.h"
#include "common/PrivateProfile.h"
#include "common/ScriptedDialogs.h"
#include "meter/CMscomm.h"
#include "meter/PortProbe.h"
#include "meter/PortWatcher.h"
#include "meter/ReadingDecoder.h"
#include "meter/SerialLink.h"
#include "tests/support/FastClock.h"
#include "tests/support/SimulatedMeter.h"
#include "tests/support/TempDir.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

using namespace std::chrono_literals;

namespace {

class CCountingEvents final : public IMeterLinkListener {
public:
    void DisplayValueDecoded(double value) override
    {
        ++displayed;
        last = value;
    }
    int displayed = 0;
    double last = 0.0;
};

// The parts of the main view the link talks to: timer 9 and the watchers,
// whose finding arrives on the UI thread as a queued call.
class CViewStandIn final : public IMeterLinkListener, public ILinkSupervisor {
public:
    explicit CViewStandIn(IPortProbe& probe)
        : m_watchers(probe, [this] { QMetaObject::invokeMethod(&m_timer, [this] { PortAvailable(); },
                                                               Qt::QueuedConnection); },
                     100ms)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (link != nullptr)
                link->OnSupervisionTick();
        });
    }

    void LinkLost() override { ++recordingStops; }
    void InvalidatePanel(const PanelRect& rect) override { faceInvalidated = rect == PanelArea::MeterFace; }
    void StartSupervisionTimer(int ms) override { m_timer.start(ms); }
    void StopSupervisionTimer() override { m_timer.stop(); }
    bool StartWatcher(int port) override
    {
        ++watchersStarted;
        return m_watchers.Start(port);
    }

    std::size_t WatchersRunning() const { return m_watchers.Running(); }
    bool TimerActive() const { return m_timer.isActive(); }

    CSerialLink* link = nullptr;
    int recordingStops = 0;
    int watchersStarted = 0;
    int portsAvailable = 0;
    bool faceInvalidated = false;

private:
    void PortAvailable()
    {
        ++portsAvailable;
        if (link != nullptr)
            link->OnPortAvailable();
    }

    QTimer m_timer;
    CPortWatchers m_watchers; // after the timer: gone first, so no call arrives late
};

class LinkPtyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
        m_ini = (m_dir / "TempPort.ini").string();
        m_device = (m_dir / "ttyLX47").string();
        ASSERT_TRUE(CPrivateProfile(m_ini).WriteString(CPortMap::kOverrideSection, "12", m_device));

        m_sim = std::make_unique<CSimulatedMeter>(
            std::vector<std::string>{"--level", "const:85.3", "--link", m_device, "--exit-with-parent"});
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();

        m_map = std::make_unique<CPortMap>(m_ini);
        m_probe = std::make_unique<CPortProbe>(*m_map);
        m_comm = std::make_unique<CMscomm>(*m_map);
        m_host = std::make_unique<CViewStandIn>(*m_probe);
        m_decoder = std::make_unique<CReadingDecoder>(m_state, m_events, m_clock);
        m_link = std::make_unique<CSerialLink>(*m_comm, *m_probe, m_dialogs, m_clock, *m_decoder, *m_host, *m_host,
                                               LinkTiming{100, 4000ms});
        m_host->link = m_link.get();
        QObject::connect(m_comm.get(), &CMscomm::OnComm, [this] {
            if (m_comm->CommEvent() != ISerialControl::kEventReceive)
                return;
            const auto bytes = m_comm->Input();
            m_decoder->Receive(bytes.data(), bytes.size());
        });
    }

    void TearDown() override
    {
        // The view's order: the link and the watchers go, then the control.
        m_host.reset();
        m_link.reset();
        m_comm.reset();
        m_sim.reset();
    }

    bool DataFlows(int timeoutMs, int blocks = 3)
    {
        const int before = m_events.displayed;
        return QTest::qWaitFor([&] { return m_decoder->Connected() && m_events.displayed >= before + blocks; },
                               timeoutMs);
    }

    // Two real seconds of readings, eight on the clock: twice the silence that
    // would drop the link.
    bool DataFlowsLongerThanTheSilence() { return DataFlows(20000, 20); }

    CTempDir m_temp{"vx_linkpty"};
    const std::filesystem::path m_dir = m_temp.Path();
    std::string m_ini;
    std::string m_device;
    std::unique_ptr<CSimulatedMeter> m_sim;
    std::unique_ptr<CPortMap> m_map;
    std::unique_ptr<CPortProbe> m_probe;
    std::unique_ptr<CMscomm> m_comm;
    std::unique_ptr<CViewStandIn> m_host;
    CFastClock m_clock;
    CScriptedDialogs m_dialogs;
    MeterState m_state;
    CCountingEvents m_events;
    std::unique_ptr<CReadingDecoder> m_decoder;
    std::unique_ptr<CSerialLink> m_link;
};

TEST_F(LinkPtyTest, OpenReceiveLoseAndFindTheMeterAgain)
{
    m_link->OnOtherPort(12);
    ASSERT_TRUE(m_link->PortOpen()) << testing::PrintToString(m_dialogs.MessageTexts());
    ASSERT_TRUE(DataFlows(10000));
    EXPECT_DOUBLE_EQ(m_events.last, 85.3);
    EXPECT_EQ(m_state.displayDigits[1], 8);

    // Unplugged: within the silence the link is lost and the port closed.
    ASSERT_TRUE(m_sim->Send("vanish 1000"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_link->PortOpen(); }, 10000));
    EXPECT_FALSE(m_decoder->Connected());
    EXPECT_GE(m_host->recordingStops, 1);
    EXPECT_TRUE(m_host->faceInvalidated);
    EXPECT_EQ(m_host->watchersStarted, 1);
    EXPECT_TRUE(m_host->TimerActive()); // supervision runs on

    // Nothing comes back while the device is gone: one watcher keeps probing.
    QTest::qWait(500);
    EXPECT_FALSE(m_link->PortOpen());
    EXPECT_EQ(m_host->watchersStarted, 1);
    EXPECT_EQ(m_host->WatchersRunning(), 1u);
    EXPECT_EQ(m_host->portsAvailable, 0);

    // Plugged back: the watcher finds it, the port reopens and data flows again.
    const int displayedBefore = m_events.displayed;
    ASSERT_TRUE(m_sim->Send("appear"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_host->portsAvailable >= 1 && m_link->PortOpen(); }, 10000));
    ASSERT_TRUE(DataFlows(10000));
    EXPECT_GT(m_events.displayed, displayedBefore);
    EXPECT_EQ(m_host->WatchersRunning(), 0u);
    EXPECT_EQ(m_link->PortNumber(), 12);
    EXPECT_TRUE(m_dialogs.Messages().empty()) << testing::PrintToString(m_dialogs.MessageTexts());

    // And it stays open while the meter keeps talking.
    ASSERT_TRUE(DataFlowsLongerThanTheSilence());
    EXPECT_TRUE(m_link->PortOpen());
    EXPECT_TRUE(m_decoder->Connected());
}

TEST_F(LinkPtyTest, AMeterThatGoesSilentIsDroppedAndPickedUpWhenItTalks)
{
    m_link->OnOtherPort(12);
    ASSERT_TRUE(DataFlows(10000));

    ASSERT_TRUE(m_sim->Send("silent"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_host->watchersStarted >= 1; }, 10000));
    EXPECT_FALSE(m_decoder->Connected());
    // The device is still there, so the watcher finds it at once and the port
    // reopens; with the meter still silent it is dropped again.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_host->watchersStarted >= 2; }, 10000));
    EXPECT_GE(m_host->portsAvailable, 1);

    ASSERT_TRUE(m_sim->Send("resume"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_link->PortOpen() && m_decoder->Connected(); }, 10000));
    ASSERT_TRUE(DataFlows(10000));
    const int started = m_host->watchersStarted;
    ASSERT_TRUE(DataFlowsLongerThanTheSilence());
    EXPECT_TRUE(m_link->PortOpen());
    EXPECT_EQ(m_host->watchersStarted, started);
}

TEST_F(LinkPtyTest, QuittingWithAWatcherRunningIsClean)
{
    m_link->OnOtherPort(12);
    ASSERT_TRUE(DataFlows(10000));
    ASSERT_TRUE(m_sim->Send("vanish 1000"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_host->WatchersRunning() == 1; }, 10000));
    const auto started = std::chrono::steady_clock::now();
    m_host.reset(); // joins the watcher without waiting out its period
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    m_link.reset();
}

} // namespace
