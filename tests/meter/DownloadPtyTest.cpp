// The data-logger download through the whole meter link against the simulated
// meter on a pseudo-terminal: Cancel before the meter answers and in the
// middle of its reply, then a download that brings every byte the meter holds.
#include "Clock.h"
#include "MeterLink.h"
#include "PrivateProfile.h"
#include "ScriptedDialogs.h"
#include "SimWire.h"
#include "SimulatedMeter.h"
#include "TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr const char* kLogger = "cases,110x3";

class CCountingClient final : public IMeterLinkListener {
public:
    void BlockDecoded() override { ++blocks; }
    int blocks = 0;
};

class DownloadPtyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.IsValid());
        const std::string device = temp.File("ttyLX47");
        ASSERT_TRUE(CPrivateProfile(ini).WriteString(CPortMap::kOverrideSection, "12", device));
        sim = std::make_unique<CSimulatedMeter>(
            std::vector<std::string>{"--level", "const:64.2", "--logger", kLogger, "--link", device, "--exit-with-parent"});
        ASSERT_TRUE(sim->Started()) << sim->Error();
        link = std::make_unique<CMeterLink>(ini, dialogs, clock);
        link->AddListener(client);
        QObject::connect(link.get(), &CMeterLink::DownloadFinished,
                         [this](const LoggerDownloadResult& result) { ended.push_back(result); });
        ASSERT_TRUE(link->Link().OpenPort(12));
        ASSERT_TRUE(StreamDecoded());
    }

    bool StreamDecoded()
    {
        const int before = client.blocks;
        return QTest::qWaitFor([&] { return client.blocks >= before + 3; }, 5000);
    }
    bool Ended(std::size_t count) { return QTest::qWaitFor([&] { return ended.size() >= count; }, 15000); }
    // The simulator's lines, while the link goes on receiving.
    bool SimSaid(const std::string& prefix, int count)
    {
        return QTest::qWaitFor([&] { return sim->CountLines(prefix) >= count; }, 10000);
    }

    CTempDir temp{"vx_dlpty"};
    const std::string ini = temp.File("TempPort.ini");
    std::unique_ptr<CSimulatedMeter> sim;
    CSystemClock clock;
    CScriptedDialogs dialogs;
    CCountingClient client;
    std::unique_ptr<CMeterLink> link;
    std::vector<LoggerDownloadResult> ended;
};

TEST_F(DownloadPtyTest, CancelledRepliesAreDroppedAndTheNextDownloadBringsEverything)
{
    // Cancel before the meter answers: the request goes out, its reply is dropped.
    ASSERT_TRUE(link->StartDownload());
    link->CancelDownload();
    ASSERT_TRUE(Ended(1));
    EXPECT_EQ(ended[0].outcome, DownloadOutcome::Cancelled);
    ASSERT_TRUE(SimSaid("DUMP SENT", 1));
    EXPECT_TRUE(StreamDecoded()) << "the stream is decoded again after the reply";

    // Cancel once the data flows: the rest of the reply is received and dropped.
    auto cancelInData = QObject::connect(link.get(), &CMeterLink::DownloadProgressed, [this](int received, int) {
        if (received > 0)
            link->CancelDownload();
    });
    ASSERT_TRUE(link->StartDownload());
    ASSERT_TRUE(Ended(2));
    QObject::disconnect(cancelInData);
    EXPECT_EQ(ended[1].outcome, DownloadOutcome::Cancelled);
    EXPECT_TRUE(SimSaid("DUMP SENT", 2));
    EXPECT_TRUE(StreamDecoded());

    // DataLogger again, the meter writing its reply at once: every byte arrives.
    ASSERT_TRUE(sim->Send("dump once"));
    ASSERT_TRUE(SimSaid("OK dump once", 1));
    ASSERT_TRUE(link->StartDownload());
    ASSERT_TRUE(Ended(3));
    const LoggerDownloadResult& result = ended[2];
    ASSERT_EQ(result.outcome, DownloadOutcome::Finished);
    std::vector<SimWire::LoggerSet> sets;
    std::string error;
    ASSERT_TRUE(SimWire::ParseLoggerSpec(kLogger, sets, error));
    EXPECT_EQ(result.data, SimWire::DumpData(sets));
    ASSERT_EQ(result.SetCount(), static_cast<int>(sets.size()) + 1);
    EXPECT_EQ(result.sets[1].begin, 0);
    EXPECT_EQ(result.sets.back().end, static_cast<int>(result.data.size()) - 1);
    EXPECT_EQ(ended.size(), 3u);
    EXPECT_TRUE(StreamDecoded());
}

} // namespace
