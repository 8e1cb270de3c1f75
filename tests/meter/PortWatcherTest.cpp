#include "common/PrivateProfile.h"
#include "meter/PortProbe.h"
#include "meter/PortWatcher.h"
#include "tests/support/Pty.h"
#include "tests/support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include <unistd.h>

using namespace std::chrono_literals;

namespace {

// A probe whose answer the test sets; counts the probes per port.
class CSwitchProbe final : public IPortProbe {
public:
    bool Probe(int port, std::string*) override
    {
        std::lock_guard lock(m_mutex);
        ++m_probes[port];
        return m_available[port];
    }
    void SetAvailable(int port, bool available)
    {
        std::lock_guard lock(m_mutex);
        m_available[port] = available;
    }
    int Probes(int port)
    {
        std::lock_guard lock(m_mutex);
        return m_probes[port];
    }

private:
    std::mutex m_mutex;
    std::map<int, bool> m_available;
    std::map<int, int> m_probes;
};

// Counts callbacks and lets the test wait for them.
class CCallbacks {
public:
    void Called()
    {
        std::lock_guard lock(m_mutex);
        ++m_count;
        m_changed.notify_all();
    }
    bool WaitFor(int count, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_count >= count; });
    }
    int Count()
    {
        std::lock_guard lock(m_mutex);
        return m_count;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_count = 0;
};

TEST(PortWatcherTest, CallsBackOnceWhenThePortComesBackAndEnds)
{
    CSwitchProbe probe;
    CCallbacks callbacks;
    CPortWatchers watchers(probe, [&] { callbacks.Called(); }, 10ms);
    ASSERT_TRUE(watchers.Start(3));
    EXPECT_EQ(watchers.Running(), 1u);

    // It keeps probing while the port cannot be opened.
    ASSERT_TRUE(WaitUntil([&] { return probe.Probes(3) >= 3; }, 2s));
    EXPECT_EQ(callbacks.Count(), 0);

    probe.SetAvailable(3, true);
    ASSERT_TRUE(callbacks.WaitFor(1, 2s));
    ASSERT_TRUE(WaitUntil([&] { return watchers.Running() == 0; }, 2s));
    const int probes = probe.Probes(3);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(probe.Probes(3), probes); // ended: no more probing
    EXPECT_EQ(callbacks.Count(), 1);
}

TEST(PortWatcherTest, SeveralWatchersEachWatchTheirOwnPort)
{
    CSwitchProbe probe;
    CCallbacks callbacks;
    CPortWatchers watchers(probe, [&] { callbacks.Called(); }, 10ms);
    ASSERT_TRUE(watchers.Start(1));
    ASSERT_TRUE(watchers.Start(2));
    ASSERT_TRUE(watchers.Start(2));
    EXPECT_EQ(watchers.Running(), 3u);

    probe.SetAvailable(2, true);
    ASSERT_TRUE(callbacks.WaitFor(2, 2s));
    ASSERT_TRUE(WaitUntil([&] { return watchers.Running() == 1; }, 2s));
    EXPECT_EQ(callbacks.Count(), 2);

    // A finished watcher is cleared away when the next one starts.
    ASSERT_TRUE(watchers.Start(4));
    EXPECT_EQ(watchers.Running(), 2u);
}

TEST(PortWatcherTest, TheOwnerGoingAwayStopsWatchersAtOnce)
{
    CSwitchProbe probe;
    CCallbacks callbacks;
    const auto started = std::chrono::steady_clock::now();
    {
        // The program's own period: the destructor must not wait it out.
        CPortWatchers watchers(probe, [&] { callbacks.Called(); });
        for (int port = 1; port <= 5; ++port)
            ASSERT_TRUE(watchers.Start(port));
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    EXPECT_EQ(callbacks.Count(), 0);
    EXPECT_EQ(probe.Probes(1), 0);
}

TEST(PortWatcherTest, StoppingWhileACallbackRunsWaitsForIt)
{
    CSwitchProbe probe;
    probe.SetAvailable(7, true);
    std::atomic<bool> inCallback{false};
    std::atomic<bool> finished{false};
    auto watchers = std::make_unique<CPortWatchers>(
        probe,
        [&] {
            inCallback = true;
            std::this_thread::sleep_for(100ms);
            finished = true;
        },
        1ms);
    ASSERT_TRUE(watchers->Start(7));
    ASSERT_TRUE(WaitUntil([&] { return inCallback.load(); }, 2s));
    watchers.reset();
    EXPECT_TRUE(finished); // the callback was never cut off with its owner gone
}

TEST(PortWatcherTest, FindsARealTerminalComingBack)
{
    char pattern[] = "/tmp/vx_watch_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path dir = pattern;
    const std::string ini = (dir / "TempPort.ini").string();
    const std::string link = (dir / "ttyLX47").string();
    ASSERT_TRUE(CPrivateProfile(ini).WriteString(CPortMap::kOverrideSection, "12", link));
    const CPortMap map(ini);
    CPortProbe probe(map);

    CCallbacks callbacks;
    CPortWatchers watchers(probe, [&] { callbacks.Called(); }, 20ms);
    ASSERT_TRUE(watchers.Start(12));
    EXPECT_FALSE(callbacks.WaitFor(1, 100ms)); // nothing there yet

    CPty pty; // the meter is plugged in
    ASSERT_TRUE(pty.IsOpen());
    std::filesystem::create_symlink(pty.SlavePath(), link);
    EXPECT_TRUE(callbacks.WaitFor(1, 2s));
    std::filesystem::remove_all(dir);
}

} // namespace
