// The data-logger download through the whole meter link against the simulated
// meter on a pseudo-terminal: Cancel before the meter answers and in the
// middle of its reply, then a download that brings every byte the meter holds.
#include "common/Clock.h"
#include "common/PrivateProfile.h"
#include "common/ScriptedDialogs.h"
#include "meter/MeterLink.h"
#include "tests/support/SimulatedMeter.h"
#include "tests/support/TempDir.h"
#include "tools/sim/SimWire.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
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
    // Cancel before the meter answers: no request goes out after it, and
    // DataLogger may be given again at once.
    ASSERT_TRUE(link->StartDownload());
    link->CancelDownload();
    ASSERT_TRUE(Ended(1));
    EXPECT_EQ(ended[0].outcome, DownloadOutcome::Cancelled);
    EXPECT_TRUE(link->Download().CanStart());
    ASSERT_TRUE(StreamDecoded());
    ASSERT_TRUE(StreamDecoded());
    EXPECT_EQ(sim->CountLines("REQUEST"), 0) << "the request stopped with Cancel";
    EXPECT_EQ(sim->CountLines("RX 0xAC"), 0);

    // Cancel once the data flows: the rest of the reply is received and dropped.
    auto cancelInData = QObject::connect(link.get(), &CMeterLink::DownloadProgressed, [this](int received, int) {
        if (received > 0)
            link->CancelDownload();
    });
    ASSERT_TRUE(link->StartDownload());
    ASSERT_TRUE(Ended(2));
    QObject::disconnect(cancelInData);
    EXPECT_EQ(ended[1].outcome, DownloadOutcome::Cancelled);
    EXPECT_TRUE(SimSaid("DUMP SENT", 1));
    EXPECT_TRUE(StreamDecoded());

    // DataLogger again, the meter writing its reply at once: every byte arrives.
    ASSERT_TRUE(sim->Send("dump once"));
    ASSERT_TRUE(SimSaid("OK dump once", 1));
    ASSERT_TRUE(link->StartDownload());
    ASSERT_TRUE(Ended(3));
    const LoggerDownloadResult& result = ended[2];
    ASSERT_EQ(result.outcome, DownloadOutcome::Finished);
    EXPECT_FALSE(result.Damaged()) << result.Message();
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

std::string Hex(const std::vector<std::uint8_t>& bytes)
{
    std::string text;
    char byte[4];
    for (const std::uint8_t b : bytes) {
        std::snprintf(byte, sizeof byte, "%02X", b);
        text += byte;
    }
    return text;
}

// Replies the meter damaged, sent by the simulated meter at the line's pace:
// what is intact is kept, the rest is told, and the stream that follows a
// reply cut short is never taken for readings.
TEST_F(DownloadPtyTest, DamagedRepliesKeepTheIntactSetsAndTellTheRest)
{
    SimWire::LoggerSet a;
    a.readings = {60.0, 61.0, 62.0, 63.0, 64.0};
    SimWire::LoggerSet c = a;
    c.cWeighted = true;
    std::vector<std::uint8_t> first = SimWire::EncodeSet(a);
    first[9 + 2] = 0xFF; // reading 1: FF FF
    first[9 + 3] = 0xFF;
    first[9 + 6] = 0xA5; // reading 3: A5 0D
    first[9 + 7] = 0x0D;
    const std::vector<std::uint8_t> second = SimWire::EncodeSet(c);
    std::vector<std::uint8_t> data = first;
    data.push_back(0xAA); // a lone marker between the sets
    data.insert(data.end(), second.begin(), second.end());

    struct Case {
        const char* what;
        std::size_t announced; // data bytes
        bool cut;              // the reply stops after the first set, no end byte
    } cases[] = {{"damaged readings and a lone marker", data.size(), false},
                 // Announced far beyond what comes: the stream ends the reply, not the length.
                 {"a reply cut short, the stream after it", data.size() + 4000, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto header = SimWire::DumpHeader(c.announced);
        std::vector<std::uint8_t> reply(header.begin(), header.end());
        const std::size_t sent = c.cut ? first.size() : data.size();
        reply.insert(reply.end(), data.begin(), data.begin() + static_cast<long>(sent));
        if (!c.cut)
            reply.push_back(SimWire::kDumpEnd);
        const std::size_t before = ended.size();
        ASSERT_TRUE(sim->Send("answer " + Hex(reply)));
        ASSERT_TRUE(SimSaid("OK answer", static_cast<int>(before) + 1));
        ASSERT_TRUE(link->StartDownload());
        ASSERT_TRUE(Ended(before + 1));
        const LoggerDownloadResult& result = ended.back();
        ASSERT_EQ(result.outcome, DownloadOutcome::Finished);
        EXPECT_TRUE(result.Damaged());
        ASSERT_EQ(result.SetCount(), c.cut ? 2 : 3) << result.Message();
        EXPECT_EQ(result.damagedReadings[1], 2);
        EXPECT_NE(result.Message().find("2 readings in set 1 were damaged and left out."), std::string::npos)
            << result.Message();
        if (c.cut) {
            EXPECT_TRUE(result.streamInReply);
            EXPECT_EQ(result.data.size(), first.size()) << "nothing of the stream is data";
            EXPECT_NE(result.Message().find("The download is incomplete"), std::string::npos) << result.Message();
        } else {
            EXPECT_FALSE(result.Incomplete());
            EXPECT_EQ(result.sets[2].begin, static_cast<int>(first.size()) + 1);
            EXPECT_NE(result.Message().find("1 byte after record set 1 belongs to no whole record set"),
                      std::string::npos)
                << result.Message();
        }
        EXPECT_TRUE(StreamDecoded()) << "the stream is decoded again after the reply";
    }
}

} // namespace
