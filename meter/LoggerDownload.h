#pragma once

#include "common/LoggerRecordSet.h"
#include "meter/LoggerReplyCheck.h"
#include "meter/MeterLinkListener.h"
#include "meter/MeterState.h"
#include "meter/ReadingDecoder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// How a data-logger download ended.
enum class DownloadOutcome {
    Finished,    // the sets are handed over
    Empty,       // the meter holds no data: "No Data In DataLogger"
    Cancelled,   // the reply to a cancelled request was received and dropped
    OutOfMemory, // no buffer for the announced length: "Memory OverFlow!"; the reply was dropped
    LinkLost,    // the link was lost before the reply ended
};

inline constexpr const char* kNoLoggerDataText = "No Data In DataLogger";

// What a download hands its owner when it ends. For a finished download the
// bytes are the received data (the end byte not stored) and sets[1 ..
// sets.size() - 1] the intact record sets in order; sets[0] holds no set, its
// end is the byte before the first set. A finished download may still be
// incomplete or hold damage: Damaged() says so and Message() tells the user.
struct LoggerDownloadResult {
    DownloadOutcome outcome = DownloadOutcome::Finished;
    std::vector<std::uint8_t> data;
    std::vector<LoggerRecordSet> sets;
    std::vector<int> damagedReadings; // per entry of sets: readings left out, their digits not decimal
    std::vector<std::string> skipped; // what the check of the reply skipped, a sentence each
    int setsLeftOut = 0; // sets beyond the table's room, not described
    int expected = 0;    // data bytes the meter announced
    int received = 0;    // data bytes the reply brought before its end byte or the stream
    bool streamInReply = false; // the meter went back to its real-time stream inside the reply

    // The set index of the exchange: one more than the number of sets.
    int SetCount() const { return static_cast<int>(sets.size()); }
    // The reply was shorter than announced or cut by the stream.
    bool Incomplete() const { return outcome == DownloadOutcome::Finished && (streamInReply || received < expected); }
    // Anything the user must hear of apart from sets beyond the table.
    bool Damaged() const;
    // The sentences to show the user, one a line, empty when there is none.
    std::string Message() const;
};

// What the download needs from the link and tells its owner. Every call comes
// from the receive path or a timer: an owner shows messages later, never from
// inside these calls.
class ILoggerDownloadHost {
public:
    virtual ~ILoggerDownloadHost() = default;
    // Timer 8: call CLoggerDownload::OnRequestTick every ms milliseconds.
    virtual void StartRequestTimer(int ms) = 0;
    virtual void StopRequestTimer() = 0;
    virtual void SendRequest(const std::vector<std::uint8_t>& bytes) = 0;
    // The real-time stream is hunted for anew (its blocks lost their step while the reply ran).
    virtual void ResyncStream() = 0;
    virtual void DownloadProgress(int received, int expected) = 0;
    virtual void DownloadEnded(LoggerDownloadResult result) = 0;
};

// The data-logger download, a route of the meter link beside the decoder: the
// decoder hands it the chunks of a reply, and it listens to the link for the
// link's loss.
// Start asks the meter for its logger with eight 0xAC bytes every 100 ms until
// a reply begins. The reply is 0xBB, the length L in two bytes (high first;
// L - 100 data bytes follow, none when L <= 100), the record sets, each
// beginning with its marker 0xAA (dBA) or 0xCC (dBC), and an optional end
// byte 0xDD. The sets' boundaries go into a table of 1000 entries whose entry
// 0 holds no set.
//
// How it treats what the exchange leaves open:
// - Bytes after the third header byte in the header's chunk are data.
// - The finished reply is checked set by set (LoggerReplyCheck.h): only
//   intact sets are handed over, readings that are not BCD are counted, and
//   a reply cut short (an early end byte, the real-time stream inside it) is
//   reported as incomplete. The stream's blocks end the reply as soon as two
//   of them have come, not only once they fill the announced length.
// - More than 999 sets: the first 999 are kept and the others are counted as
//   left out.
// - No buffer for the announced length: the rest of the reply is dropped up
//   to its end, never read as another header.
// - A reply that comes when none was asked for (the meter answering a
//   request twice) is not taken as real-time data: its chunk is dropped and
//   the stream hunted for anew.
// - Every reply's end puts the real-time stream back to hunting, so its blocks
//   are cut in step again.
class CLoggerDownload final : public IDownloadRoute, public IMeterLinkListener {
public:
    static constexpr int kRequestPeriodMs = 100; // timer 8
    static constexpr std::uint8_t kRequestByte = MeterCommand::LoggerRequest;
    static constexpr std::size_t kRequestLength = 8;
    static constexpr std::uint8_t kReplyStart = 0xBB;
    static constexpr std::uint8_t kMarkerA = 0xAA;
    static constexpr std::uint8_t kMarkerC = 0xCC;
    static constexpr std::uint8_t kReplyEnd = 0xDD;
    static constexpr int kLengthBias = 100;
    // The length has 16 bits, so no reply can announce more than this.
    static constexpr int kMaxDataBytes = 0xFFFF - kLengthBias;

    // maxBuffer: the largest buffer the download may allocate; a longer
    // announcement is treated as a failed allocation.
    explicit CLoggerDownload(ILoggerDownloadHost& host, std::size_t maxBuffer = kMaxDataBytes);

    // The DataLogger command. False (nothing done) while a requested reply is
    // still coming in; a cancelled one still being dropped does not count.
    bool Start();
    // Whether Start would be accepted now (the DataLogger command's enable rule).
    bool CanStart() const;
    // The wait dialog's Cancel. Before the meter answered, the request stops
    // (a reply already on its way comes unasked and is dropped); once the
    // reply has begun, it is received and dropped.
    void Cancel();
    // The link was lost: whatever was under way ends, its reply with LinkLost.
    void Abort();
    // Timer 8.
    void OnRequestTick();

    // True while a request waits for its reply or a reply comes in.
    bool Busy() const { return m_requested || m_phase != Phase::Idle; }
    int Received() const { return m_received; }
    int Expected() const { return m_expected; }

    // IDownloadRoute
    bool HeaderPending() const override { return m_phase == Phase::Header; }
    bool Receiving() const override { return m_phase == Phase::Data || m_phase == Phase::Drop; }
    bool ReplyAwaited() const override { return m_requested; }
    void HeaderChunk(const std::uint8_t* chunk, std::size_t n) override;
    void DataChunk(const std::uint8_t* chunk, std::size_t n) override;

    // IMeterLinkListener
    void LinkLost() override { Abort(); }

private:
    enum class Phase { Idle, Header, Data, Drop };

    void BeginReply();
    void HeaderComplete();
    bool Allocate();
    // Whether the bytes received since before hold the real-time stream's blocks.
    bool StreamArrived(int before) const;
    void Finish(bool endByteSeen);
    void EndDropped();
    void End(LoggerDownloadResult result);

    ILoggerDownloadHost& m_host;
    std::size_t m_maxBuffer;

    bool m_requested = false; // timer 8 runs until a reply begins
    Phase m_phase = Phase::Idle;
    // Why the reply under way is dropped; Finished while it is kept.
    DownloadOutcome m_dropReason = DownloadOutcome::Finished;

    std::array<std::uint8_t, 3> m_header{};
    int m_headerCount = 0;
    int m_expected = 0;
    int m_received = 0;
    std::vector<std::uint8_t> m_buffer;
};
