// The data-logger download on its own: a host that records what the
// download asks of the link, and replies cut into chunks in every way the
// serial driver may cut them.
#include "meter/LoggerDownload.h"

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
    const Bytes reply = Reply(130, ExampleData(), true);
    enum class When { BeforeTheAnswer, InTheHeader, InTheData };
    for (When when : {When::BeforeTheAnswer, When::InTheHeader, When::InTheData}) {
        SCOPED_TRACE(static_cast<int>(when));
        CRecordingHost host;
        CLoggerDownload download(host);
        download.Start();
        if (when == When::BeforeTheAnswer) {
            // Nothing came yet: the request stops, the owner hears of it at once,
            // and DataLogger may be given again straight away.
            download.Cancel();
            EXPECT_EQ(host.timerMs, 0) << "no more 0xAC after Cancel";
            download.OnRequestTick();
            EXPECT_TRUE(host.sent.empty());
            ASSERT_EQ(host.ended.size(), 1u);
            EXPECT_EQ(host.ended[0].outcome, DownloadOutcome::Cancelled);
            EXPECT_TRUE(download.CanStart());
            EXPECT_FALSE(Route(download, Bytes(reply.begin(), reply.begin() + 12)) && download.Busy())
                << "a reply already on its way comes unasked and is not taken";
            host.ended.clear();
        } else {
            const std::size_t cut = when == When::InTheHeader ? 2 : 12;
            Route(download, Bytes(reply.begin(), reply.begin() + cut));
            download.Cancel();
            EXPECT_TRUE(download.Busy());
            EXPECT_TRUE(download.CanStart()) << "DataLogger again while the cancelled reply is dropped";
            Route(download, Bytes(reply.begin() + cut, reply.end() - 5));
            EXPECT_TRUE(host.ended.empty()) << "nothing ends before the reply does";
            EXPECT_TRUE(download.Start());
            EXPECT_FALSE(download.CanStart()) << "one request at a time";
            Route(download, Bytes(reply.end() - 5, reply.end()));
            EXPECT_TRUE(host.ended.empty()) << "the new request waits for its own reply";
            EXPECT_EQ(host.timerMs, 100);
        }
        if (!download.Busy()) {
            ASSERT_TRUE(download.Start());
        }
        Route(download, reply);
        ASSERT_EQ(host.ended.size(), 1u);
        EXPECT_EQ(host.ended[0].outcome, DownloadOutcome::Finished);
        EXPECT_EQ(host.ended[0].data, ExampleData());
        EXPECT_FALSE(host.ended[0].Damaged());
    }
}

// Header bytes of a set: marker, 2007-03-07 09:05:00, rate 1, the unused byte.
Bytes SetBytes(std::uint8_t marker, const Bytes& readings)
{
    Bytes set{marker, 0x07, 0x03, 0x07, 0x09, 0x05, 0x00, 0x01, 0x00};
    set.insert(set.end(), readings.begin(), readings.end());
    return set;
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A real-time block as the meter streams it: the level, then filler.
Bytes StreamBlock()
{
    Bytes block{0xA5, 0x0D, 0x06, 0x42, 0xA5, 0x06, 0x09, 0x05, 0x00};
    block.resize(20, 0x00);
    return block;
}

// What the check of a finished reply keeps and tells, reply by reply.
TEST(LoggerDownload, DamagedRepliesKeepEveryIntactSetAndSayWhatWasLeftOut)
{
    const Bytes good = SetBytes(0xAA, {0x06, 0x53, 0x06, 0x54});      // 13 bytes
    const Bytes goodC = SetBytes(0xCC, {0x07, 0x00, 0x07, 0x01, 0x07, 0x02}); // 15 bytes
    const Bytes block = StreamBlock();
    struct Case {
        const char* what;
        Bytes data;
        int announcedExtra; // announced bytes beyond the data
        bool endByte;
        std::vector<std::pair<int, int>> sets; // begin, end of entries 1..
        std::vector<int> damaged;              // per entry 1..
        std::vector<std::string> told;
        bool incomplete;
    };
    const Case cases[] = {
        {"readings that are not BCD", Join({SetBytes(0xAA, {0xFF, 0xFF, 0x06, 0x53, 0xA5, 0x0D, 0x1A, 0x00}), goodC}),
         0, true, {{0, 16}, {17, 31}}, {3, 0}, {"3 readings in set 1 were damaged and left out."}, false},
        {"a lone marker between two sets", Join({good, {0xAA}, goodC}), 0, true, {{0, 12}, {14, 28}}, {0, 0},
         {"1 byte after record set 1 belongs to no whole record set and was skipped."}, false},
        {"a lone marker before the first set", Join({{0xCC}, good}), 0, false, {{1, 13}}, {0},
         {"1 byte before the first record set"}, false},
        {"a marker inside a reading", Join({SetBytes(0xAA, {0x06, 0x53, 0x06, 0xAA, 0x06, 0x55}), goodC}), 0, true,
         {{0, 14}, {15, 29}}, {1, 0}, {"1 reading in set 1 was damaged and left out."}, false},
        {"a set that lost bytes in the middle", Join({good, Bytes(good.begin(), good.end() - 1), goodC}), 0, true,
         {{0, 12}, {25, 39}}, {0, 0}, {"A record set after record set 1 was not whole (12 bytes"}, false},
        {"a reply cut short and the stream after it",
         Join({good, Bytes(goodC.begin(), goodC.begin() + 11), block, block, block}), 0, false,
         {{0, 12}, {13, 23}}, {0, 0}, {"The download is incomplete: the meter's reply was cut short after 24 of the 84"},
         true},
        {"a reply cut short long before its announced end",
         Join({good, Bytes(goodC.begin(), goodC.begin() + 11), block, block}), 1000, false, {{0, 12}, {13, 23}},
         {0, 0}, {"cut short after 24 of the 1064"}, true},
        {"the stream's last block alone at the end", Join({good, goodC, Bytes(block.begin(), block.begin() + 8)}),
         0, false, {{0, 12}, {13, 27}}, {0, 0}, {"cut short after 28 of the 36"}, true},
        {"an end byte before the announced length", Join({good, goodC}), 30, true, {{0, 12}, {13, 27}}, {0, 0},
         {"the meter announced 58 bytes but its reply ended after 28."}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CRecordingHost host;
        CLoggerDownload download(host);
        download.Start();
        FeedInPieces(download, Reply(static_cast<int>(c.data.size()) + 100 + c.announcedExtra, c.data, c.endByte),
                     {3, 10});
        ASSERT_EQ(host.ended.size(), 1u);
        const LoggerDownloadResult& result = host.ended[0];
        ASSERT_EQ(result.outcome, DownloadOutcome::Finished);
        ASSERT_EQ(result.SetCount(), static_cast<int>(c.sets.size()) + 1) << result.Message();
        for (std::size_t k = 0; k < c.sets.size(); ++k) {
            EXPECT_EQ(result.sets[k + 1].begin, c.sets[k].first) << "set " << k + 1;
            EXPECT_EQ(result.sets[k + 1].end, c.sets[k].second) << "set " << k + 1;
            EXPECT_EQ(result.damagedReadings[k + 1], c.damaged[k]) << "set " << k + 1;
        }
        EXPECT_EQ(result.Incomplete(), c.incomplete);
        EXPECT_TRUE(result.Damaged());
        for (const std::string& sentence : c.told)
            EXPECT_NE(result.Message().find(sentence), std::string::npos) << result.Message();
        EXPECT_LE(result.data.size(), c.data.size());
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
    ASSERT_EQ(host.ended.size(), 2u);
    EXPECT_EQ(host.ended[1].outcome, DownloadOutcome::Cancelled);
    download.Abort();
    EXPECT_EQ(host.ended.size(), 2u) << "nobody waits for a cancelled request";
    EXPECT_EQ(host.timerMs, 0);
}

} // namespace
