// The data-logger download on its own: a host that records what the
// download asks of the link, and replies cut into chunks in every way the
// serial driver may cut them.
#include "LoggerDownload.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

class CRecordingHost final : public ILoggerDownloadHost {
public:
    void StartRequestTimer(int ms) override { timerMs = ms; }
    void StopRequestTimer() override { timerMs = 0; }
    void SendRequest(const Bytes& bytes) override { sent.push_back(bytes); }
    void ResyncStream() override { ++resyncs; }
    void DownloadProgress(int received, int expected) override { progress = {received, expected}; }
    void DownloadEnded(LoggerDownloadResult result) override { ended.push_back(std::move(result)); }

    int timerMs = 0;
    std::vector<Bytes> sent;
    int resyncs = 0;
    std::pair<int, int> progress{-1, -1};
    std::vector<LoggerDownloadResult> ended;
};

// The set-table example: a dBA set of four readings (17 bytes) and a dBC set of two (13 bytes).
Bytes ExampleData()
{
    Bytes data{0xAA, 0x07, 0x03, 0x07, 0x09, 0x05, 0x00, 0x01, 0x00, 0x06, 0x53, 0x06, 0x54, 0x06, 0x55, 0x06, 0x56};
    const Bytes second{0xCC, 0x07, 0x03, 0x07, 0x10, 0x00, 0x00, 0x0F, 0x00, 0x07, 0x00, 0x07, 0x01};
    data.insert(data.end(), second.begin(), second.end());
    return data;
}

Bytes Reply(int length, const Bytes& data, bool endByte)
{
    Bytes reply{0xBB, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF)};
    reply.insert(reply.end(), data.begin(), data.end());
    if (endByte)
        reply.push_back(0xDD);
    return reply;
}

// Feeds bytes as the decoder routes them: a chunk starting with 0xBB or
// arriving in the header phase is a header chunk, one in the data phase a
// data chunk, anything else is real-time data (returned as not taken).
bool Route(CLoggerDownload& download, const Bytes& chunk)
{
    if (chunk.empty())
        return true;
    if (chunk[0] == 0xBB || download.HeaderPending())
        download.HeaderChunk(chunk.data(), chunk.size());
    else if (download.Receiving())
        download.DataChunk(chunk.data(), chunk.size());
    else
        return false;
    return true;
}

void FeedInPieces(CLoggerDownload& download, const Bytes& bytes, const std::vector<std::size_t>& cuts)
{
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        Route(download, Bytes(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(cut)));
        from = cut;
    }
    Route(download, Bytes(bytes.begin() + static_cast<long>(from), bytes.end()));
}

TEST(LoggerDownload, RequestsEveryTickUntilTheReplyBegins)
{
    CRecordingHost host;
    CLoggerDownload download(host);
    download.OnRequestTick();
    EXPECT_TRUE(host.sent.empty()) << "nothing is asked before the command";
    ASSERT_TRUE(download.Start());
    EXPECT_EQ(host.timerMs, 100);
    EXPECT_FALSE(download.Start()) << "one download at a time";
    download.OnRequestTick();
    download.OnRequestTick();
    ASSERT_EQ(host.sent.size(), 2u);
    EXPECT_EQ(host.sent[0], Bytes(8, 0xAC));
    Route(download, {0xBB});
    EXPECT_EQ(host.timerMs, 0) << "the reply's first chunk stops timer 8";
    download.OnRequestTick();
    EXPECT_EQ(host.sent.size(), 2u);
}

// The set table for every way of cutting the reply, with and without the end byte.
TEST(LoggerDownload, SetTableOfTheExampleHoweverTheReplyIsCut)
{
    struct Case {
        int length;
        bool endByte;
        std::vector<std::size_t> cuts;
    };
    const Case cases[] = {
        {140, true, {}},          // all at once: data bytes in the header's chunk
        {140, true, {3}},         // header alone
        {140, true, {1, 2, 3}},   // header byte by byte
        {140, true, {1, 5, 20}},  // header split, data in the chunk that completes it
        {130, false, {}},         // no end byte: the announced length ends it
        {130, false, {3, 20, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("L=" + std::to_string(c.length) + (c.endByte ? " with 0xDD" : " without 0xDD") + ", " +
                     std::to_string(c.cuts.size()) + " cuts");
        CRecordingHost host;
        CLoggerDownload download(host);
        ASSERT_TRUE(download.Start());
        FeedInPieces(download, Reply(c.length, ExampleData(), c.endByte), c.cuts);
        ASSERT_EQ(host.ended.size(), 1u);
        const LoggerDownloadResult& result = host.ended[0];
        EXPECT_EQ(result.outcome, DownloadOutcome::Finished);
        EXPECT_EQ(result.SetCount(), 3);
        EXPECT_EQ(result.sets[0].end, -1);
        EXPECT_EQ(result.sets[1].begin, 0);
        EXPECT_EQ(result.sets[1].end, 16);
        EXPECT_EQ(result.sets[2].begin, 17);
        EXPECT_EQ(result.sets[2].end, 29);
        EXPECT_EQ(result.data, ExampleData());
        EXPECT_EQ(host.progress, std::make_pair(30, c.length - 100));
        EXPECT_FALSE(download.Busy());
        EXPECT_EQ(host.resyncs, 1) << "the stream is cut in step again after the reply";
        EXPECT_FALSE(Route(download, {0xA5, 0x0D})) << "what follows is real-time data";
    }
}

TEST(LoggerDownload, EmptyLoggerSaysSoAndHuntsTheStreamAnew)
{
    for (const Bytes& header : {Bytes{0xBB, 0x00, 0x64, 0xA5, 0x0D}, Bytes{0xBB, 0x00, 0x00}}) {
        CRecordingHost host;
        CLoggerDownload download(host);
        download.Start();
        FeedInPieces(download, header, {1});
        ASSERT_EQ(host.ended.size(), 1u);
        EXPECT_EQ(host.ended[0].outcome, DownloadOutcome::Empty);
        EXPECT_EQ(host.ended[0].Message(), "No Data In DataLogger");
        EXPECT_TRUE(host.ended[0].data.empty());
        EXPECT_EQ(host.resyncs, 1);
        EXPECT_FALSE(download.Busy());
    }
}

TEST(LoggerDownload, CancelDropsTheReplyAndTheNextDownloadWorks)
{
    const Bytes reply = Reply(140, ExampleData(), true);
    enum class When { BeforeTheAnswer, BeforeTheAnswerThenAgain, InTheHeader, InTheData };
    for (When when : {When::BeforeTheAnswer, When::BeforeTheAnswerThenAgain, When::InTheHeader, When::InTheData}) {
        SCOPED_TRACE(static_cast<int>(when));
        CRecordingHost host;
        CLoggerDownload download(host);
        download.Start();
        if (when == When::BeforeTheAnswer || when == When::BeforeTheAnswerThenAgain) {
            download.Cancel();
            download.OnRequestTick();
            EXPECT_EQ(host.sent.size(), 1u) << "Cancel does not stop the request";
        }
        if (when == When::BeforeTheAnswerThenAgain) {
            // DataLogger again before the meter answered: the reply is handed over.
            EXPECT_TRUE(download.Start());
            Route(download, reply);
            ASSERT_EQ(host.ended.size(), 1u);
            EXPECT_EQ(host.ended[0].outcome, DownloadOutcome::Finished);
            continue;
        }
        const std::size_t cut = when == When::InTheHeader ? 2 : 12;
        Route(download, Bytes(reply.begin(), reply.begin() + cut));
        if (when != When::BeforeTheAnswer)
            download.Cancel();
        EXPECT_TRUE(download.Busy());
        Route(download, Bytes(reply.begin() + cut, reply.end() - 5));
        EXPECT_TRUE(host.ended.empty()) << "nothing ends before the reply does";
        EXPECT_TRUE(download.Start()) << "DataLogger again while the cancelled reply is dropped";
        Route(download, Bytes(reply.end() - 5, reply.end()));
        EXPECT_TRUE(host.ended.empty()) << "the new request waits for its own reply";
        EXPECT_EQ(host.timerMs, 100);

        Route(download, reply);
        ASSERT_EQ(host.ended.size(), 1u);
        EXPECT_EQ(host.ended[0].outcome, DownloadOutcome::Finished);
        EXPECT_EQ(host.ended[0].data, ExampleData());
    }
}

TEST(LoggerDownload, MoreThan999SetsKeepTheFirst999)
{
    // 1005 sets of one reading each (11 bytes).
    Bytes data;
    for (int i = 0; i < 1005; ++i) {
        const Bytes set{static_cast<std::uint8_t>(i % 2 ? 0xCC : 0xAA), 0x24, 0x03, 0x07, 0x09, 0x00, 0x00, 0x01,
                        0x00, 0x06, 0x50};
        data.insert(data.end(), set.begin(), set.end());
    }
    CRecordingHost host;
    CLoggerDownload download(host);
    download.Start();
    Route(download, Reply(static_cast<int>(data.size()) + 100, data, true));
    ASSERT_EQ(host.ended.size(), 1u);
    const LoggerDownloadResult& result = host.ended[0];
    ASSERT_EQ(result.SetCount(), 1000);
    EXPECT_EQ(result.setsLeftOut, 6);
    EXPECT_EQ(result.sets[999].begin, 998 * 11);
    EXPECT_EQ(result.sets[999].end, 999 * 11 - 1) << "the last set kept ends before the next marker";
    EXPECT_EQ(result.data.size(), data.size());
    EXPECT_NE(result.Message().find("999"), std::string::npos);
    EXPECT_NE(result.Message().find(" 6 "), std::string::npos);
}

TEST(LoggerDownload, NoBufferForTheLengthDropsTheReplyToItsEnd)
{
    // Data that looks like another header must not be taken for one.
    const Bytes data{0xBB, 0x00, 0x64, 0xAA, 0x07, 0x03, 0x07};
    for (bool endByte : {true, false}) {
        CRecordingHost host;
        CLoggerDownload download(host, 4);
        download.Start();
        const Bytes reply = Reply(107, data, endByte);
        FeedInPieces(download, reply, {3, 4, 6});
        ASSERT_EQ(host.ended.size(), 1u);
        EXPECT_EQ(host.ended[0].outcome, DownloadOutcome::OutOfMemory);
        EXPECT_EQ(host.ended[0].Message(), "Memory OverFlow!");
        EXPECT_FALSE(download.Busy());
        ASSERT_TRUE(download.Start());
        Route(download, Reply(130, ExampleData(), false));
        EXPECT_EQ(host.ended.back().outcome, DownloadOutcome::OutOfMemory) << "4 bytes are too few for 30 too";
    }
}

TEST(LoggerDownload, UnaskedReplyIsNeitherTakenNorDecoded)
{
    CRecordingHost host;
    CLoggerDownload download(host);
    Route(download, Reply(130, ExampleData(), true));
    EXPECT_TRUE(host.ended.empty());
    EXPECT_EQ(host.resyncs, 1);
    EXPECT_FALSE(download.Busy());
}

TEST(LoggerDownload, LostLinkEndsTheDownloadSomeoneWaitsFor)
{
    CRecordingHost host;
    CLoggerDownload download(host);
    download.Abort();
    EXPECT_TRUE(host.ended.empty());
    download.Start();
    Route(download, {0xBB, 0x00, 0x82, 0xAA, 0x07});
    download.Abort();
    ASSERT_EQ(host.ended.size(), 1u);
    EXPECT_EQ(host.ended[0].outcome, DownloadOutcome::LinkLost);
    EXPECT_FALSE(download.Receiving());

    download.Start();
    download.Cancel();
    download.Abort();
    EXPECT_EQ(host.ended.size(), 1u) << "nobody waits for a cancelled request";
    EXPECT_EQ(host.timerMs, 0);
}

} // namespace
